// The local mutex of one preprocessing object and its scoped hold. The hooks' task refreshes and
// cycles the object while the display page reads it on the display-service task; each holds
// this lock for that work. The lock never nests and is never held while the tree access is being
// taken.
#pragma once

#include "KernelTypes.h"

namespace PreProcessing {

class PPObjectLock {
  public:
    // Creates the mutex; isValid() tells whether the kernel gave one.
    PPObjectLock();
    // Closes the mutex (a failure is traced).
    ~PPObjectLock();

    PPObjectLock(const PPObjectLock&) = delete;
    PPObjectLock& operator=(const PPObjectLock&) = delete;

    bool isValid() const { return valid_; }

    // Holds the lock for the life of the object; held() is false when the wait failed (traced),
    // and then nothing guarded may be touched.
    class Hold {
      public:
        explicit Hold(PPObjectLock& lock);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

        bool held() const { return held_; }

      private:
        LocalMutex mutex_;
        bool held_;
    };

  private:
    LocalMutex mutex_ = 0;
    bool valid_ = false;
};

}  // namespace PreProcessing
