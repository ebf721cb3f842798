"""A folder that a test can make read-only or full. Wine runs as root here, and root writes
through Unix permissions, so the folder is a small tmpfs of its own, remounted read-only or filled
to the last byte: the only refusals root cannot override."""

import errno
import os
import subprocess
import time

MOUNT_TIMEOUT = 15.0
UNMOUNT_ATTEMPTS = 20
UNMOUNT_RETRY_S = 0.25
FILLER_NAME = "filler.bin"
FILLER_CHUNK = 4096


class MountUnavailable(Exception):
    """The test cannot mount (no root, or no mount rights in this container)."""


def _mount(*args):
    return subprocess.run(["mount"] + list(args), capture_output=True, text=True,
                          timeout=MOUNT_TIMEOUT)


class TmpfsFolder:
    def __init__(self, path, size_bytes):
        self.path = path
        os.makedirs(path, exist_ok=True)
        result = _mount("-t", "tmpfs", "-o", "size=%d,mode=0755" % size_bytes, "tmpfs", path)
        if result.returncode != 0:
            raise MountUnavailable(result.stderr.strip())
        self.mounted = True

    def _remount(self, mode):
        result = _mount("-o", "remount,%s" % mode, self.path)
        if result.returncode != 0:
            raise AssertionError("remount %s of %s failed: %s" % (mode, self.path,
                                                                  result.stderr.strip()))

    def make_read_only(self):
        self._remount("ro")

    def make_writable(self):
        self._remount("rw")

    def fill(self):
        """Writes a filler file until the folder has no byte left."""
        filler = os.path.join(self.path, FILLER_NAME)
        with open(filler, "wb", buffering=0) as out:
            chunk = bytes(FILLER_CHUNK)
            while True:
                try:
                    out.write(chunk)
                except OSError as error:
                    if error.errno != errno.ENOSPC:
                        raise
                    break
            # Whatever is left is smaller than a chunk.
            while True:
                try:
                    out.write(b"\0")
                except OSError as error:
                    if error.errno != errno.ENOSPC:
                        raise
                    return

    def unfill(self):
        try:
            os.remove(os.path.join(self.path, FILLER_NAME))
        except FileNotFoundError:
            pass

    def unmount(self):
        """Unmounts; the Wine server may hold the program's files a moment after it ended, so
        this retries and finally detaches lazily rather than leave a mount behind."""
        if not self.mounted:
            return
        for _ in range(UNMOUNT_ATTEMPTS):
            if subprocess.run(["umount", self.path], capture_output=True,
                              timeout=MOUNT_TIMEOUT).returncode == 0:
                self.mounted = False
                return
            time.sleep(UNMOUNT_RETRY_S)
        subprocess.run(["umount", "-l", self.path], capture_output=True, timeout=MOUNT_TIMEOUT)
        self.mounted = False
