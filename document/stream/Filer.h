#pragma once
// TFiler: what TWriter and TReader share, chiefly the custom-property interface that
// a class's DefineCustomProperties uses for both directions.

#include <QString>
#include <functional>

class TComponent;
class TReader;
class TStream;
class TWriter;

class TFiler {
public:
    explicit TFiler(TStream& stream) : stream_(stream) {}
    virtual ~TFiler() = default;
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;

    // A custom property of one value. Writing: when `hasData`, the name (with the
    // current path) is written and `write` writes exactly one value. Reading: when
    // the property being read has this name, `read` reads that value.
    virtual void DefineValueProperty(const QString& name, const std::function<void(TReader&)>& read,
                                     const std::function<void(TWriter&)>& write, bool hasData) = 0;
    // The same for a Binary value: `write` fills a memory stream; `read` gets the
    // stored bytes as a memory stream positioned at 0.
    virtual void DefineBlobProperty(const QString& name, const std::function<void(TStream&)>& read,
                                    const std::function<void(TStream&)>& write, bool hasData) = 0;

    // The component at the root of the stream being written or read.
    TComponent* Root() const { return root_; }

protected:
    TStream& stream_;
    TComponent* root_ = nullptr;
};
