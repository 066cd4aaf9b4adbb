#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Which mounts a script may be read from without the read ever waiting on
// someone else. A FUSE server or a network file system's server that stops
// answering makes every open, path lookup, even fstatfs on its files sleep in
// the kernel, where no signal ends the sleeper. So the file system a path lies
// on is told from this process's own /proc/self/mountinfo, never by asking the
// file system, and only file systems known to keep their data on this machine
// count as local.
namespace proc_mounts {

struct Mount {
    std::uint64_t id = 0;      // the mount id, as statx's STATX_MNT_ID gives it
    std::uint64_t parent = 0;  // the mount it is mounted on
    std::string point;         // where it is mounted, unescaped
    std::string type;          // the file system type ("ext4", "fuse.sshfs", ...)
    std::string options;       // the file system's own options (overlay's layers)
};

// The mounts that /proc/self/mountinfo's text lists, in its order; lines it
// cannot read are left out.
std::vector<Mount> parseMountInfo(std::string_view text);

// Whether a file system of this type keeps its data on this machine, so that
// reading it waits on nobody: a fixed list of disk and memory file systems.
// FUSE (fuse, fuseblk, fuse.*), network file systems (nfs, cifs, 9p, ceph, ...),
// automounters and anything unknown are not.
bool localType(std::string_view type);

// The mounts of one mountinfo text, with what is local among them.
class Table {
  public:
    explicit Table(std::vector<Mount> mounts) : mounts_(std::move(mounts)) {}

    // The mount on top at the deepest mount point on an absolute path's way,
    // when every mount that a lookup of the path passes (the mount on top at
    // each of its leading folders that is a mount point) is local: where a
    // lookup of the path may start without reaching anything but local file
    // systems. Nothing when one of them is not local, or path is not absolute.
    const Mount* localStart(std::string_view path) const;

    // Whether the mount is local: of a local type, and for an overlay, every
    // layer its options name lies on local mounts (an overlay over FUSE opens
    // its files through FUSE). Layers that cannot be told count as not local.
    bool isLocal(const Mount& mount, int depth = 0) const;

    // The mount with this id, or nothing.
    const Mount* find(std::uint64_t id) const;

  private:
    const Mount* localStart(std::string_view path, int depth) const;

    std::vector<Mount> mounts_;
};

}  // namespace proc_mounts
