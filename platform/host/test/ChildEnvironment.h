// The environment a test hands to a program it starts: this process's own, with TMPDIR at a
// folder of the test's, so that whatever the program leaves in its temporary folder (a killed
// program cannot clean up) goes with the test's folder.
#pragma once

#include <cstring>
#include <string>
#include <vector>

extern char** environ;

class ChildEnvironment {
  public:
    // This process's environment with TMPDIR set to `temporaryFolder` (in place of its own).
    explicit ChildEnvironment(const std::string& temporaryFolder) {
        variables_.push_back("TMPDIR=" + temporaryFolder);
        for (char** variable = environ; *variable != nullptr; ++variable) {
            if (std::strncmp(*variable, "TMPDIR=", 7) != 0) {
                variables_.emplace_back(*variable);
            }
        }
        for (std::string& variable : variables_) {
            pointers_.push_back(variable.data());
        }
        pointers_.push_back(nullptr);
    }
    ChildEnvironment(const ChildEnvironment&) = delete;
    ChildEnvironment& operator=(const ChildEnvironment&) = delete;

    // The variables as posix_spawn and exec take them, ending in a null pointer; valid while
    // this object lives.
    char* const* envp() const { return pointers_.data(); }

  private:
    std::vector<std::string> variables_;
    std::vector<char*> pointers_;
};
