#pragma once
// Byte streams that component streams are written to and read from: the abstract
// TStream, an in-memory stream and a file stream. The compound-file storage provides
// its own TStream for the streams inside a document.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to `count` bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to `count` bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    int64_t Remaining();

    // Exactly `count` bytes or a read error at the position where they begin.
    void ReadBuffer(void* buffer, int64_t count);
    // Exactly `count` bytes or "ストリームへの書き込みエラー".
    void WriteBuffer(const void* buffer, int64_t count);
    void WriteBytes(const QByteArray& bytes) { WriteBuffer(bytes.constData(), bytes.size()); }
    // The bytes from the position to the end (a read error when the stream ends sooner
    // than its size says).
    QByteArray ReadToEnd();
    // Copies `count` bytes from `source` at its position (all of it from 0 when count is 0).
    void CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return data_.size(); }

    const QByteArray& Data() const { return data_; }
    virtual void SetSize(int64_t size);
    void Clear() {
        data_.clear();
        pos_ = 0;
    }

private:
    QByteArray data_;
    int64_t pos_ = 0;
};

class TFileStream : public TStream {
public:
    enum Mode { OpenRead, OpenReadWrite, Create };
    // Fails with "ファイル %s を開けません".
    TFileStream(const QString& path, Mode mode);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return file_.size(); }

private:
    QFile file_;
};
