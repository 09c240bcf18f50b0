#include "downloads/FileHash.h"

#include <QFile>

#include <memory>
#include <openssl/evp.h>

namespace downloads {

QByteArray HashFile(const QString &path, HashAlgorithm algorithm, const std::atomic_bool *stop)
{
    // The system's crypto library rather than a portable one: it uses the processor's own
    // hashing instructions, so checking a file of several gigabytes takes seconds.
    const EVP_MD *md = algorithm == HashAlgorithm::Md5 ? EVP_md5()
        : algorithm == HashAlgorithm::Sha1             ? EVP_sha1()
                                                       : EVP_sha256();
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(),
                                                                      &EVP_MD_CTX_free);
    QFile file(path);
    if (!ctx || !EVP_DigestInit_ex(ctx.get(), md, nullptr)
        || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    constexpr qint64 kPiece = 1 << 20;
    const std::unique_ptr<char[]> buffer(new char[kPiece]);
    for (;;) {
        if (stop && stop->load())
            return {};
        const qint64 n = file.read(buffer.get(), kPiece);
        if (n < 0)
            return {};
        if (n == 0)
            break;
        EVP_DigestUpdate(ctx.get(), buffer.get(), size_t(n));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!EVP_DigestFinal_ex(ctx.get(), digest, &size))
        return {};
    return QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex();
}

} // namespace downloads
