// The window's conversion. Kept apart from ConvertText so that a program that
// only converts (the command-line companion, the benchmarks, the fuzzers)
// links no field operation.

#include "substitution_table.h"
#include "text_conversion.h"

namespace runemill {

void ApplyTable() {
  static ByteString result;
  ConvertTextInto(GetFieldText(kSourcePane), ProgramTable(), result);
  SetFieldText(kResultPane, result);
}

}  // namespace runemill
