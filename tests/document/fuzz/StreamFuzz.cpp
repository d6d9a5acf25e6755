// Fuzz target for the stream readers: the class-driven reader (new root, given root,
// resource, object list) and the generic tree with its text form, which must print
// and parse back to the same bytes.
//
// With clang:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DVELLUMO_TESTS=ON -DVELLUMO_FUZZ=ON
//     -DCMAKE_BUILD_TYPE=RelWithDebInfo
//     "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined" (one command)
//   cmake --build build/fuzz --target stream_fuzz -j2
//   (seeds: corvane-tool stream build on tests/document/corpus/*.txt)
//   build/fuzz/bin/stream_fuzz -dict=tests/document/fuzz/stream.dict -max_len=8192 WORK SEEDS
// With gcc, stream_fuzz_replay runs it over tests/document/corpus as a test.
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamText.h"
#include "tests/document/SampleClasses.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {
template <class F>
void quietly(F&& f) {
    try {
        f();
    } catch (const Exception&) {
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        registerSampleClasses();
        keepStandInObjects();
        return true;
    }();
    (void)ready;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    quietly([&] {
        TMemoryStream s(bytes);
        std::unique_ptr<TComponent> c(ReadComponentStream(s, nullptr));
    });
    quietly([&] {
        TSample root;
        TMemoryStream s(bytes);
        ReadComponentStream(s, &root);
    });
    quietly([&] {
        TMemoryStream s(bytes);
        std::unique_ptr<TComponent> c(ReadComponentResource(s, nullptr));
    });
    quietly([&] {
        std::vector<std::unique_ptr<TComponent>> list;
        TMemoryStream s(bytes);
        ReadObjectList(list, s);
    });
    quietly([&] {
        const streamtree::Document doc = streamtree::readDocument(bytes);
        const QByteArray written = streamtree::writeDocument(doc);
        const QString text = streamtree::printDocument(doc);
        if (streamtree::writeDocument(streamtree::parseDocument(text)) != written) std::abort();
    });
    // The input as text form too.
    quietly(
        [&] { streamtree::writeDocument(streamtree::parseDocument(QString::fromUtf8(bytes))); });
    return 0;
}
