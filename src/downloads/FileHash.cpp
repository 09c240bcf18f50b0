#include "downloads/FileHash.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace downloads {

namespace {

FileStamp stampOf(const struct stat &st)
{
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000};
}

} // namespace

int OpenRegularFile(const QString &path, QString *why, FileStamp *stamp)
{
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = QStringLiteral("it is not a regular file");
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (stamp)
        *stamp = stampOf(st);
    return fd;
}

FileStamp StampOf(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return stampOf(st);
}

FileDigest DigestFile(const QString &path, HashAlgorithm algorithm, const std::atomic_bool *stop)
{
    FileDigest result;
    // The system's crypto library rather than a portable one: it uses the processor's own
    // hashing instructions, so checking a file of several gigabytes takes seconds.
    const EVP_MD *md = algorithm == HashAlgorithm::Md5 ? EVP_md5()
        : algorithm == HashAlgorithm::Sha1             ? EVP_sha1()
                                                       : EVP_sha256();
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(),
                                                                      &EVP_MD_CTX_free);
    if (!ctx || !EVP_DigestInit_ex(ctx.get(), md, nullptr)) {
        result.error = QStringLiteral("the digest could not be set up");
        return result;
    }
    const int fd = OpenRegularFile(path, &result.error, &result.stamp);
    if (fd < 0)
        return result;
    const std::unique_ptr<int, void (*)(int *)> closer(new int(fd), [](int *f) {
        ::close(*f);
        delete f;
    });
    constexpr size_t kPiece = 1 << 20;
    const std::unique_ptr<char[]> buffer(new char[kPiece]);
    for (;;) {
        if (stop && stop->load())
            return {};
        const ssize_t n = ::read(fd, buffer.get(), kPiece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.error = QString::fromLocal8Bit(std::strerror(errno));
            return result;
        }
        if (n == 0)
            break;
        EVP_DigestUpdate(ctx.get(), buffer.get(), size_t(n));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!EVP_DigestFinal_ex(ctx.get(), digest, &size)) {
        result.error = QStringLiteral("the digest could not be made");
        return result;
    }
    result.hex = QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex();
    return result;
}

} // namespace downloads
