// SHA-256 of bytes and of files, as lowercase hexadecimal text: the store keeps the digest of
// each archive, so that a file changed after its save is found out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
  public:
    Sha256();
    void Update(const void* bytes, std::size_t size);
    // The digest of everything given so far as 64 hexadecimal digits; the object is spent.
    std::string HexDigest();

  private:
    void Compress(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
};

std::string Sha256Hex(const std::string& bytes);
// Reads the regular file in blocks. False, with a message naming the file, when it cannot be
// opened or read (a folder, a FIFO or a device is refused).
bool Sha256OfFile(const std::string& pathUtf8, std::string* hex, std::string* errorUtf8);
