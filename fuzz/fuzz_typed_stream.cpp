// Reads arbitrary bytes as typed values with every read operation, chosen
// by the input itself, and checks that what is read writes back to the
// same bytes where the encoding is canonical.
#include <cstddef>
#include <cstdint>

#include "platform/base/TypedStream.h"
#include "platform/base/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  TMemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
  // The first byte picks the buffer size so that refills land everywhere.
  TKyReader reader(stream, 16 + data[0]);
  try {
    for (int step = 0; step < 64; ++step) {
      int64_t before = reader.Position();
      switch (reader.NextValue() % 8) {
        case 0: {
          int32_t v = reader.ReadInteger();
          TMemoryStream out;
          {
            TKyWriter w(out);
            w.WriteInteger(v);
          }
          if (out.Size() > reader.Position() - before) __builtin_trap();  // never wider than read
          break;
        }
        case 1:
          reader.ReadString();
          break;
        case 2:
          reader.ReadBoolean();
          if (reader.Position() != before + 1) __builtin_trap();
          break;
        case 3: {
          TExtended x = reader.ReadFloat();
          TMemoryStream out;
          {
            TKyWriter w(out);
            w.WriteFloat(x);
          }
          TKyReader back(out);
          out.SetPosition(0);
          if (!(back.ReadFloat() == x)) __builtin_trap();
          break;
        }
        case 4:
          reader.ReadIdent();
          break;
        case 5:
          reader.ReadChar();
          break;
        case 6:
          reader.SkipValue();
          break;
        default:
          reader.SetPosition(before + 1);
          break;
      }
    }
  } catch (const Exception&) {
  }
  return 0;
}
