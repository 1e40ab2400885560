#pragma once
// The icon list `ilsIcon` of the record tree: image 1 for the file definition, image 2 for a
// record definition, both 16 × 16, drawn in code so they follow no theme.
#include <QIcon>

namespace sorvek {

// The image of `index` (kImageFileDefinition or kImageRecordDefinition); a null icon for any
// other index.
QIcon ilsIcon(int index);

}  // namespace sorvek
