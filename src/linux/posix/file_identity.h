#pragma once
// A file's identity as stat gives it, to tell whether a file read before is still exactly the one read: anything
// that replaces, edits or re-permits it changes one of these fields (a rename gives a new inode, a write the
// modification and change times, chmod and chown the change time).

#include <sys/stat.h>

#include <ctime>

namespace veltrane::platform::posix {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;

    static FileIdentity of(const struct stat& st) {
        return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, st.st_mode, st.st_uid, st.st_gid};
    }
    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size && same(modified, o.modified) &&
               same(changed, o.changed) && mode == o.mode && owner == o.owner && group == o.group;
    }

private:
    static bool same(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }
};

}  // namespace veltrane::platform::posix
