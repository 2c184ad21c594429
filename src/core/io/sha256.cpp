#include "core/io/sha256.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <new>
#include <stdexcept>
#include <utility>

namespace sortivo
{

namespace
{

void check(int openSslResult)
{
    if (openSslResult != 1)
        throw std::runtime_error("SHA-256 a échoué");
}

} // namespace

Sha256::Sha256() : m_context(EVP_MD_CTX_new())
{
    if (!m_context)
        throw std::bad_alloc();
    // Fetched once for this hasher: later rounds only reset the state.
    EVP_MD* md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    const int initialised = md ? EVP_DigestInit_ex2(m_context, md, nullptr) : 0;
    EVP_MD_free(md);
    if (initialised != 1) {
        EVP_MD_CTX_free(m_context);
        throw std::runtime_error("SHA-256 indisponible");
    }
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(m_context);
}

Sha256::Sha256(Sha256&& other) noexcept : m_context(std::exchange(other.m_context, nullptr)) {}

Sha256& Sha256::operator=(Sha256&& other) noexcept
{
    std::swap(m_context, other.m_context);
    return *this;
}

void Sha256::update(const void* bytes, std::size_t size)
{
    check(EVP_DigestUpdate(m_context, bytes, size));
}

Digest Sha256::finish()
{
    Digest digest{};
    check(EVP_DigestFinal_ex(m_context, digest.data(), nullptr));
    check(EVP_DigestInit_ex2(m_context, nullptr, nullptr));
    return digest;
}

Digest sha256(std::string_view bytes)
{
    Sha256 hasher;
    hasher.update(bytes);
    return hasher.finish();
}

Digest hmacSha256(std::span<const std::uint8_t> key, std::string_view message)
{
    Digest mac{};
    unsigned length = 0;
    if (!HMAC(EVP_sha256(), key.data(), int(key.size()),
              reinterpret_cast<const unsigned char*>(message.data()), message.size(), mac.data(),
              &length) ||
        length != mac.size())
        throw std::runtime_error("HMAC-SHA256 a échoué");
    return mac;
}

std::string toHex(std::span<const std::uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

std::optional<Digest> digestFromHex(std::string_view hex)
{
    Digest digest{};
    if (hex.size() != digest.size() * 2)
        return std::nullopt;
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const int high = value(hex[2 * i]);
        const int low = value(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        digest[i] = std::uint8_t(high << 4 | low);
    }
    return digest;
}

} // namespace sortivo
