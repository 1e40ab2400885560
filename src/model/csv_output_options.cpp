#include "model/csv_output_options.h"

namespace sorvek {

void CsvOutputOverrides::applyTo(CsvOutputOptions& options) const {
    if (encoding) options.encoding = *encoding;
    if (quoting) options.quoting = *quoting;
    if (trimBlanks) options.trimBlanks = *trimBlanks;
    if (zonedSign) options.zonedSign = *zonedSign;
    if (invalidPacked) options.invalidPacked = *invalidPacked;
    if (lineEnd) options.lineEnd = *lineEnd;
    if (splitKinds) options.splitKinds = *splitKinds;
    if (format) options.format = *format;
}

}  // namespace sorvek
