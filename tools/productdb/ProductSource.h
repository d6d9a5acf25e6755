#pragma once
// The readable source of the shipped product database: UTF-8 text, one record per
// "[record]" section in entry order (0 the Japanese creator, 1 the English creator, 2 to 4
// reserved, then the products). Inside a section, "GUID=" followed by 32 hexadecimal
// digits (braces and dashes allowed) sets the record's identity, and every other
// "Label=Value" line adds an item; "\n" in a value starts a new line of it. A section
// without items is an empty product record. Lines starting with "#" and blank lines are
// ignored. A record without a GUID gets one derived from its position, so builds agree.

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class TProductInfo;

// Raises Exception naming the line for anything else.
std::vector<std::unique_ptr<TProductInfo>> ParseProductSource(const QByteArray& text);
// Writes the records as a product database file.
void WriteProductDatabase(const std::vector<std::unique_ptr<TProductInfo>>& records,
                          const QString& fileName);
