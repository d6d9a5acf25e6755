#pragma once
// Writing a stream of a catalogue so that an existing stream is replaced only once the new
// content is complete.

#include <QString>
#include <functional>

class TDocStorage;
class TStream;

// Writes the stream at `path` below `node`: the content goes into a sibling first, which
// then takes the old stream's place. A failed write leaves the old stream as it was.
void ReplaceStream(TDocStorage& node, const QString& path,
                   const std::function<void(TStream&)>& write);
