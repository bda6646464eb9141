#pragma once
// Folder permissions that hold for the test itself. Tests run as root here, and root passes over a folder's
// permissions; for the life of this object they bind the calling thread again: the permission overrides
// leave its effective capabilities and come back afterwards. Without root nothing needs to change.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qz::test {

class TPermissionsBindRoot {
public:
    TPermissionsBindRoot()
    {
        if (::geteuid() != 0)
            return;
        ::syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
        failed_ = !dropped_;
    }
    ~TPermissionsBindRoot()
    {
        if (dropped_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    TPermissionsBindRoot(const TPermissionsBindRoot&) = delete;
    TPermissionsBindRoot& operator=(const TPermissionsBindRoot&) = delete;
    bool Failed() const { return failed_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
    bool failed_ = false;
};

}  // namespace qz::test
