// A folder of the running test alone, for the files it writes: test programs run side by side
// (ctest -j, several build trees), and a name in a shared temporary folder may be another
// user's file, a link or a FIFO, so a test never writes at a name it did not make itself.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

class ScratchFolder {
  public:
    // Who must reach the folder.
    enum class Reach {
        kOwner,  // the test's own user alone
        // Also the user a test running as root drops to (who then cannot pass through a private
        // temporary folder of root's).
        kDroppedUser,
    };

    // What the folder's name starts with.
    enum class Name {
        kTest,   // "<suite>.<test>"
        kSuite,  // "<suite>" alone: a short path, for a test that makes deep paths below it
    };

    // Makes a new folder "<name>.XXXXXX" by mkdtemp (made by this process alone, at a name no
    // one else had) in the temporary folder: TMPDIR, else /tmp. For kDroppedUser, where the
    // test runs as root and others cannot pass through TMPDIR, in /tmp instead (which everyone
    // may pass through; TMPDIR itself is never opened up), and searchable by others. When it
    // cannot be made, fails the test and throws std::runtime_error.
    explicit ScratchFolder(Reach reach = Reach::kOwner, Name name = Name::kTest) {
        const std::string parent =
            reach == Reach::kDroppedUser && ::geteuid() == 0 && !othersMayPass(temporaryFolder())
                ? std::string("/tmp")
                : temporaryFolder();
        make(parent + "/" + testName(name) + ".XXXXXX");
        if (reach == Reach::kDroppedUser && ::chmod(path_.c_str(), 0755) != 0) {
            fail("chmod " + path_);
        }
    }
    // Makes a new folder "<parent>/<prefix>XXXXXX" by mkdtemp, for a path of a known length;
    // fails the test and throws std::runtime_error when it cannot.
    ScratchFolder(const std::string& parent, const std::string& prefix) {
        make(parent + "/" + prefix + "XXXXXX");
    }
    // Removes the folder with all it holds, never following a link; a folder that cannot be
    // removed fails the test.
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
        EXPECT_FALSE(error) << "cannot remove " << path_ << ": " << error.message();
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder's absolute path, without a slash at its end.
    const std::string& path() const { return path_; }
    // The path of `name` in the folder.
    std::string pathOf(const std::string& name) const { return path_ + "/" + name; }

  protected:
    // Fails the test with `what` and the system's reason (errno), removes what was made, and
    // throws std::runtime_error: for a folder that cannot be made ready for its test.
    [[noreturn]] void fail(const std::string& what) {
        const std::string text = what + ": " + std::strerror(errno);
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
        ADD_FAILURE() << text;
        throw std::runtime_error(text);
    }

  private:
    // TMPDIR, else /tmp, without a slash at its end.
    static std::string temporaryFolder() {
        const char* set = std::getenv("TMPDIR");
        std::string folder = set != nullptr && *set != '\0' ? set : "/tmp";
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        return folder;
    }
    // Whether others may pass through `folder` and every folder above it (by their modes).
    static bool othersMayPass(const std::string& folder) {
        std::filesystem::path passed;
        for (const std::filesystem::path& part : std::filesystem::absolute(folder)) {
            passed /= part;
            struct stat status {};
            if (::stat(passed.c_str(), &status) != 0 || (status.st_mode & S_IXOTH) == 0) {
                return false;
            }
        }
        return true;
    }
    // "<suite>.<test>" (kTest) or "<suite>" (kSuite) of the running test, '/' of a
    // parameterised name replaced by '_'.
    static std::string testName(Name part) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        if (test == nullptr) {
            return "test";
        }
        std::string name = test->test_suite_name();
        if (part == Name::kTest) {
            name += std::string(".") + test->name();
        }
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        return name;
    }
    // Makes the folder from the mkdtemp `pattern`.
    void make(std::string pattern) {
        if (::mkdtemp(pattern.data()) == nullptr) {
            fail("mkdtemp " + pattern);
        }
        path_ = std::filesystem::absolute(pattern).string();
    }
    std::string path_;
};
