/* flushfailfs: a FUSE file system that passes everything through to a backing
 * folder, except that every fsync fails with EIO: a target whose disk loses
 * the data that the system has taken, and says so only when asked to flush.
 *
 * usage: flushfailfs BACKING_DIR MOUNTPOINT   (stays in the foreground)
 */
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static const char* g_backing;

/* The backing path of a path in the file system. */
static void Backing(char out[PATH_MAX], const char* path) { snprintf(out, PATH_MAX, "%s%s", g_backing, path); }

static int Result(int r) { return r < 0 ? -errno : 0; }

static int fs_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    if (fi) return Result(fstat((int)fi->fh, st));
    char p[PATH_MAX];
    Backing(p, path);
    return Result(lstat(p, st));
}

static int fs_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t off, struct fuse_file_info* fi,
                      enum fuse_readdir_flags flags) {
    (void)off;
    (void)fi;
    (void)flags;
    char p[PATH_MAX];
    Backing(p, path);
    DIR* d = opendir(p);
    if (!d) return -errno;
    for (struct dirent* e; (e = readdir(d)) != NULL;) fill(buf, e->d_name, NULL, 0, 0);
    closedir(d);
    return 0;
}

static int fs_open(const char* path, struct fuse_file_info* fi) {
    char p[PATH_MAX];
    Backing(p, path);
    int fd = open(p, fi->flags);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int fs_create(const char* path, mode_t mode, struct fuse_file_info* fi) {
    char p[PATH_MAX];
    Backing(p, path);
    int fd = open(p, fi->flags | O_CREAT, mode);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int fs_read(const char* path, char* buf, size_t size, off_t off, struct fuse_file_info* fi) {
    (void)path;
    ssize_t n = pread((int)fi->fh, buf, size, off);
    return n < 0 ? -errno : (int)n;
}

static int fs_write(const char* path, const char* buf, size_t size, off_t off, struct fuse_file_info* fi) {
    (void)path;
    ssize_t n = pwrite((int)fi->fh, buf, size, off);
    return n < 0 ? -errno : (int)n;
}

static int fs_truncate(const char* path, off_t size, struct fuse_file_info* fi) {
    if (fi) return Result(ftruncate((int)fi->fh, size));
    char p[PATH_MAX];
    Backing(p, path);
    return Result(truncate(p, size));
}

static int fs_rename(const char* from, const char* to, unsigned int flags) {
    if (flags) return -EINVAL;
    char a[PATH_MAX], b[PATH_MAX];
    Backing(a, from);
    Backing(b, to);
    return Result(rename(a, b));
}

static int fs_unlink(const char* path) {
    char p[PATH_MAX];
    Backing(p, path);
    return Result(unlink(p));
}

static int fs_release(const char* path, struct fuse_file_info* fi) {
    (void)path;
    close((int)fi->fh);
    return 0;
}

/* The one fault: nothing reaches the disk. */
static int fs_fsync(const char* path, int datasync, struct fuse_file_info* fi) {
    (void)path;
    (void)datasync;
    (void)fi;
    return -EIO;
}

static const struct fuse_operations ops = {
    .getattr = fs_getattr,
    .readdir = fs_readdir,
    .open = fs_open,
    .create = fs_create,
    .read = fs_read,
    .write = fs_write,
    .truncate = fs_truncate,
    .rename = fs_rename,
    .unlink = fs_unlink,
    .release = fs_release,
    .fsync = fs_fsync,
};

int main(int argc, char* argv[]) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s BACKING_DIR MOUNTPOINT\n", argv[0]);
        return 2;
    }
    g_backing = argv[1];
    char* fargv[] = {argv[0], "-f", "-o", "default_permissions", argv[2], NULL};
    return fuse_main(5, fargv, &ops, NULL);
}
