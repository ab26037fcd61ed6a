// A really full disk for write-fault tests: a tmpfs of a few pages mounted on
// a fresh directory. Mounting needs root and a system that allows it (not
// every container does); where it fails, the test is skipped with the reason.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace velmora::testing {

class SmallDisk {
  public:
    explicit SmallDisk(std::size_t bytes) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmora-disk-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            why_not_ = std::string("mkdtemp: ") + std::strerror(errno);
            return;
        }
        path_ = pattern;
        if (::geteuid() != 0) {
            why_not_ = "mounting a small tmpfs needs root";
            return;
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
        if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
            why_not_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(path_.c_str(), MNT_DETACH);
        }
        if (!path_.empty()) {
            ::rmdir(path_.c_str());
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Why the disk could not be had, for GTEST_SKIP.
    const std::string& why_not() const { return why_not_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::string why_not_;
    bool mounted_ = false;
};

}  // namespace velmora::testing
