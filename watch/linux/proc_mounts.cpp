#include "watch/linux/proc_mounts.h"

#include <array>

namespace proc_mounts {

namespace {

// Overlays over overlays are followed this deep; deeper ones count as not local.
constexpr int kMaxDepth = 4;

// The next field of text cut at sep, removed from text.
std::string_view nextField(std::string_view& text, char sep) {
    const std::size_t end = text.find(sep);
    const std::string_view field = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return field;
}

// mountinfo writes a space, tab, newline or backslash in a field as \ooo.
std::string unescaped(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::optional<std::uint64_t> number(std::string_view text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// Whether the path's components up to end (a position in path at a "/" or its
// end) make a mount point's text: "/" alone, or the same text.
bool isPoint(std::string_view path, std::size_t end, std::string_view point) {
    return end == 0 ? point == "/" : path.substr(0, end) == point;
}

}  // namespace

std::vector<Mount> parseMountInfo(std::string_view text) {
    std::vector<Mount> mounts;
    while (!text.empty()) {
        std::string_view line = nextField(text, '\n');
        const auto id = number(nextField(line, ' '));
        const auto parent = number(nextField(line, ' '));
        nextField(line, ' ');  // major:minor
        nextField(line, ' ');  // the root of the mount within its file system
        const std::string_view point = nextField(line, ' ');
        const std::size_t separator = line.find(" - ");
        if (!id || !parent || point.empty() || separator == std::string_view::npos) continue;
        line.remove_prefix(separator + 3);
        Mount mount;
        mount.id = *id;
        mount.parent = *parent;
        mount.point = unescaped(point);
        mount.type = unescaped(nextField(line, ' '));
        nextField(line, ' ');  // the source
        mount.options = std::string(line);
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

bool localType(std::string_view type) {
    static constexpr std::array<std::string_view, 30> kLocal = {
        "ext2",     "ext3",   "ext4",  "xfs",      "btrfs",  "tmpfs",   "ramfs",   "f2fs",
        "vfat",     "msdos",  "exfat", "ntfs3",    "ntfs",   "iso9660", "udf",     "squashfs",
        "erofs",    "cramfs", "jfs",   "reiserfs", "nilfs2", "hfs",     "hfsplus", "zfs",
        "bcachefs", "ubifs",  "jffs2", "devtmpfs", "minix",  "overlay"};
    for (const auto local : kLocal) {
        if (type == local) return true;
    }
    return false;
}

const Mount* Table::localStart(std::string_view path) const {
    return localStart(path, 0);
}

const Mount* Table::localStart(std::string_view path, int depth) const {
    if (path.empty() || path.front() != '/') return nullptr;
    const Mount* start = nullptr;
    // Every leading folder, from "/" on, up to a "." or "..": past those the
    // text no longer says which folders a lookup passes, and the lookup itself
    // is kept from crossing any further mount.
    for (std::size_t end = 0; end != std::string_view::npos; end = path.find('/', end + 1)) {
        if (end > 0) {
            const std::size_t from = path.rfind('/', end - 1) + 1;
            const std::string_view name = path.substr(from, end - from);
            if (name == "." || name == "..") break;
            if (name.empty()) continue;  // "//"
        }
        for (const Mount& mount : mounts_) {
            if (!isPoint(path, end, mount.point)) continue;
            if (!isLocal(mount, depth)) return nullptr;  // covered ones too, whichever is on top
            start = &mount;
        }
    }
    return start;
}

bool Table::isLocal(const Mount& mount, int depth) const {
    if (!localType(mount.type)) return false;
    if (mount.type != "overlay") return true;
    if (depth >= kMaxDepth) return false;
    // Its layers: lowerdir=a:b (a "::" marks data layers), upperdir=, workdir=.
    bool layers = false;
    std::string_view options = mount.options;
    while (!options.empty()) {
        const std::string_view option = nextField(options, ',');
        const std::size_t equals = option.find('=');
        const std::string_view key = option.substr(0, equals);
        if (key != "lowerdir" && key != "upperdir" && key != "workdir" && key != "datadir" &&
            key != "lowerdir+" && key != "datadir+") {
            continue;
        }
        const std::string value = unescaped(option.substr(equals + 1));
        if (value.find('\\') != std::string::npos) return false;  // an escaped ':' or ','
        std::string_view dirs = value;
        while (!dirs.empty()) {
            const std::string_view dir = nextField(dirs, ':');
            if (dir.empty()) continue;
            // The layer's own folder may be a mount point: its way up to and with it.
            const std::string withFile = std::string(dir) + "/.";
            if (!localStart(withFile, depth + 1)) return false;
            layers = true;
        }
    }
    return layers;  // an overlay that names no layer cannot be told
}

const Mount* Table::find(std::uint64_t id) const {
    for (const Mount& mount : mounts_) {
        if (mount.id == id) return &mount;
    }
    return nullptr;
}

}  // namespace proc_mounts
