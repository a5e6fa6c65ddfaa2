// The readable form text and its conversion to and from the binary form
// stream, without making any object. Portable.
//
//   object FrSetup: TFrSetup
//     Caption = 'KySetup'#13#10'2.5.15'      strings: quoted runs and #n characters
//     Count = 21                              integers ($1F hexadecimal)
//     Ratio = 1.5                             floats (exact; "$X" + 20 hex digits
//                                             when the value is no double)
//     Visible = False                         identifiers: enumerations, True/False, nil,
//     Anchors = [akLeft, akTop]               references and handler methods; sets
//     Font.Style = fosBold                    nested properties
//     Lines.Strings = (                       lists
//       'one'
//       'two')
//     Data = {                                binary, in hexadecimal
//       0102FF}
//     Items = <                               collections; an item may carry its
//       item                                  position: item [3]
//         Value = 'a'
//       end>
//     OnClick = BtNextClick
//     object BtNext: TKySpeedButton           children; "inherited" for components of
//       ...                                   the ancestor form, [n] a child position
//     end
//   end
//
// Converting binary → text → binary gives the same bytes for any stream the
// form writer produced (integers and strings take their smallest forms).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/Stream.h"

// A form text that does not parse: "Line %d: %s".
class EParserError : public Exception { using Exception::Exception; };

// Reads one form stream from input (at its position) and writes its text.
void ObjectBinaryToText(TStream& input, TStream& output);
// Reads one form text from input (at its position) and writes its stream.
void ObjectTextToBinary(TStream& input, TStream& output);

std::string FormBinaryToText(const std::vector<uint8_t>& binary);
std::vector<uint8_t> FormTextToBinary(const std::string& text);
