// One running instance per user session: the first process to take the
// named lock keeps it until it ends; later ones are refused. The lock goes
// away with the process, however it ends.
#pragma once

#include <memory>
#include <string>

namespace velmora::sys {

class InstanceLock {
public:
    // Takes the lock called `name` for this user session; check held().
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool held() const { return held_; }

private:
    bool held_ = false;
    std::intptr_t handle_ = -1;
};

}  // namespace velmora::sys
