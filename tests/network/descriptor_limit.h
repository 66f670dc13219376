// SPDX-License-Identifier: Apache-2.0
// Lowers the process's descriptor limit so that only a given number of
// descriptors can still be opened, and restores it when it goes out of scope:
// a way to make the client's own socket calls fail with EMFILE, a failure on
// this host that its status text must explain, or its socket waits fail. Use it only while no other
// thread of the test opens descriptors.
#pragma once

#include <sys/resource.h>

#include <cerrno>
#include <fcntl.h>

namespace ql5::test {

class DescriptorLimit {
public:
    explicit DescriptorLimit(int spare)
    {
        ok_ = getrlimit(RLIMIT_NOFILE, &saved_) == 0;
        if (!ok_)
            return;
        // A new descriptor takes the lowest free number below the limit, so
        // the limit goes just below the (spare + 1)-th free number.
        rlim_t number = 0;
        for (int free = 0; number < saved_.rlim_cur; ++number) {
            const bool unused = fcntl(static_cast<int>(number), F_GETFD) == -1 && errno == EBADF;
            if (unused && free++ == spare)
                break;
        }
        rlimit lowered = saved_;
        lowered.rlim_cur = number;
        ok_ = setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    // The limit set to this number outright, whatever is open: besides
    // opening, a poll of more descriptors than the limit then fails (EINVAL).
    struct Exactly {
        rlim_t number;
    };
    explicit DescriptorLimit(Exactly limit)
    {
        ok_ = getrlimit(RLIMIT_NOFILE, &saved_) == 0;
        rlimit lowered = saved_;
        lowered.rlim_cur = limit.number;
        ok_ = ok_ && setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorLimit()
    {
        if (ok_)
            setrlimit(RLIMIT_NOFILE, &saved_);
    }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;

    bool Ok() const { return ok_; }

private:
    rlimit saved_{};
    bool ok_ = false;
};

}  // namespace ql5::test
