#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace sortivo
{

using Digest = std::array<std::uint8_t, 32>;

// SHA-256 fed piece by piece, from OpenSSL, which uses the processor's SHA instructions where
// it has them. A hasher can be reset and fed again without fetching the algorithm anew, which
// is what makes hashing many short messages cheap.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(Sha256&& other) noexcept;
    Sha256& operator=(Sha256&& other) noexcept;
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    void update(const void* bytes, std::size_t size);
    // The digest of everything fed since the last finish; the hasher is then ready again.
    Digest finish();

private:
    evp_md_ctx_st* m_context;
};

Digest sha256(std::string_view bytes);
Digest hmacSha256(std::span<const std::uint8_t> key, std::string_view message);

// Lowercase, two digits a byte.
std::string toHex(std::span<const std::uint8_t> bytes);
// Exactly 64 lowercase hexadecimal digits, or nothing.
std::optional<Digest> digestFromHex(std::string_view hex);

} // namespace sortivo
