#pragma once
// The text form of component streams, for people and tests:
//
//     resource INFO                  (resource-wrapped; "list N" for object lists)
//     object Sheet1: TSheetInfo
//       Width = 2100
//       Font.Name = 'IPAGothic'
//       Items = <
//         item
//           ID = 'CD'
//         end>
//       object TLOText
//       end
//     end
//
// Values: integers in decimal; Extended as a decimal number that parses back to the
// same bytes, else ext(0xEEEESSSSSSSSSSSSSSSS) (sign and exponent, significand);
// single(..), currency(..), date(..), int64(..); 'text' with '' for a quote and #N
// for a byte (w'..' for WString, #N a UTF-16 unit); bare identifiers or ident('..');
// True, False, nil; {HEX}; [a, b]; (v v v); <item ... end>. UTF-8 text.

#include "document/stream/StreamTree.h"
#include "platform/Exception.h"

#include <QString>

// Malformed text: the message names the line.
VELLUMO_DECLARE_EXCEPTION(EStreamTextError, Exception);

namespace streamtree {

QString printDocument(const Document& doc);
// Fails with EStreamTextError.
Document parseDocument(const QString& text);

QString printValue(const Value& v);

}  // namespace streamtree
