/* faultfs: a FUSE file system with one read-only file, "volume", that serves the
 * bytes of a source file up to a chosen offset and answers every read reaching
 * past that offset with EIO. A loop device made over "volume" is a disc with an
 * unreadable region from that offset on.
 *
 * A drive's volume may also be "volume" itself. With -d it is served without
 * the page cache, so that a read fails as a drive's read does: whole, when it
 * reaches the region, and only then. With -e reads fail with EINVAL, as a
 * drive asked for sectors past its capacity answers (a loop device would make
 * that EIO).
 *
 * usage: faultfs [-d] [-e] SOURCE FAIL_OFFSET MOUNTPOINT   (stays in the foreground)
 */
#define FUSE_USE_VERSION 31
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int g_fd = -1;
static off_t g_size;
static off_t g_fail;
static int g_errno = EIO;
static int g_direct;

static int fs_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    (void)fi;
    memset(st, 0, sizeof(*st));
    if (strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0555;
        st->st_nlink = 2;
        return 0;
    }
    if (strcmp(path, "/volume") == 0) {
        st->st_mode = S_IFREG | 0444;
        st->st_nlink = 1;
        st->st_size = g_size;
        return 0;
    }
    return -ENOENT;
}

static int fs_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t off, struct fuse_file_info* fi,
                      enum fuse_readdir_flags flags) {
    (void)off;
    (void)fi;
    (void)flags;
    if (strcmp(path, "/") != 0) return -ENOENT;
    fill(buf, ".", NULL, 0, 0);
    fill(buf, "..", NULL, 0, 0);
    fill(buf, "volume", NULL, 0, 0);
    return 0;
}

static int fs_open(const char* path, struct fuse_file_info* fi) {
    if (strcmp(path, "/volume") != 0) return -ENOENT;
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EACCES;
    fi->direct_io = g_direct;
    return 0;
}

/* A request that reaches the failing region fails whole: a short answer would
 * be taken for the end of the file and zero-filled by the page cache. */
static int fs_read(const char* path, char* buf, size_t size, off_t off, struct fuse_file_info* fi) {
    (void)path;
    (void)fi;
    if (off >= g_size) return 0;
    if ((off_t)(off + size) > g_size) size = (size_t)(g_size - off);
    if ((off_t)(off + size) > g_fail) return -g_errno;
    ssize_t n = pread(g_fd, buf, size, off);
    return n < 0 ? -errno : (int)n;
}

static const struct fuse_operations ops = {
    .getattr = fs_getattr,
    .readdir = fs_readdir,
    .open = fs_open,
    .read = fs_read,
};

int main(int argc, char* argv[]) {
    for (int opt; (opt = getopt(argc, argv, "de")) != -1;) {
        if (opt == 'd')
            g_direct = 1;
        else if (opt == 'e')
            g_errno = EINVAL;
        else
            return 2;
    }
    argv += optind - 1;
    argc -= optind - 1;
    if (argc != 4) {
        fprintf(stderr, "usage: faultfs [-d] [-e] SOURCE FAIL_OFFSET MOUNTPOINT\n");
        return 2;
    }
    g_fd = open(argv[1], O_RDONLY);
    if (g_fd < 0) {
        perror(argv[1]);
        return 1;
    }
    struct stat st;
    if (fstat(g_fd, &st) != 0) {
        perror("fstat");
        return 1;
    }
    g_size = st.st_size;
    g_fail = (off_t)strtoll(argv[2], NULL, 0);
    char* fargv[] = {argv[0], "-f", "-o", "ro,default_permissions", argv[3], NULL};
    return fuse_main(5, fargv, &ops, NULL);
}
