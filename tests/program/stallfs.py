"""A read-only FUSE file system of one file that stops answering on demand, as
an sshfs whose server has gone: every call waits while the switch file exists.
Usage: /usr/bin/python3 stallfs.py MOUNTPOINT SWITCH NAME CONTENT [allow_other]"""
import errno
import os
import stat
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class Stalling(Operations):
    def __init__(self, switch, name, content):
        self.switch, self.name, self.content = switch, name, content.encode()

    def __call__(self, op, *args):
        while os.path.exists(self.switch):
            time.sleep(0.05)
        return super().__call__(op, *args)

    def getattr(self, path, fh=None):
        if path == "/":
            return {"st_mode": stat.S_IFDIR | 0o755, "st_nlink": 2}
        if path != "/" + self.name:
            raise FuseOSError(errno.ENOENT)
        return {"st_mode": stat.S_IFREG | 0o755, "st_nlink": 1, "st_size": len(self.content)}

    def readdir(self, path, fh):
        return [".", "..", self.name]

    def read(self, path, size, offset, fh):
        return self.content[offset : offset + size]


mountpoint, switch, name, content = sys.argv[1:5]
FUSE(Stalling(switch, name, content), mountpoint, foreground=True, ro=True,
     allow_other=sys.argv[5:] == ["allow_other"])
