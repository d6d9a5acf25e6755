#pragma once
// The compressed container: "ZLIBCompress" 0x1A, a uint32 (little-endian) length of the
// data after decompression, then a zlib stream of exactly that many bytes. It wraps .cbm
// pictures, compressed streams in documents and catalogue update files.

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

namespace codecs {

constexpr qsizetype kContainerSignatureSize = 13;
constexpr qsizetype kContainerHeaderSize = 17;
// The bytes inflated before a HeadCheck sees them (fewer when less is declared).
constexpr qsizetype kContainerHeadSize = 64 * 1024;

// Called once with the first inflated bytes and the declared length; raises when they
// cannot begin what the caller expects, so a wrong payload is refused early.
using HeadCheck = std::function<void(QByteArrayView head, qsizetype declared)>;

// True when `data` begins with the 13-byte signature.
bool HasContainerSignature(QByteArrayView data);

// Wraps `plain` (zlib level 9).
QByteArray Compress(QByteArrayView plain);

// Unwraps a container at the start of `data`; `consumed` receives the bytes read (header
// and zlib stream). The output grows with the data actually inflated, never by the
// declared length up front. Raises Exception when the declared length exceeds the largest
// picture or what the zlib bytes present can inflate to, when the signature is missing,
// the zlib stream is damaged, or it yields more or fewer bytes than declared.
QByteArray Decompress(QByteArrayView data, qsizetype* consumed = nullptr,
                      const HeadCheck& checkHead = {});

}  // namespace codecs
