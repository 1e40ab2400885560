// Record-to-workbook in a build without the workbook writer (SORVEK_XLSX off): the job is
// refused before any file is touched, so an old output stays as it was.
#include "engine/tran_rec2xlsx.h"

namespace sorvek {

Status tranRec2Xlsx(const std::string&, const std::string&, const RecordDefTable&, EngineContext&,
                    std::uint32_t) {
    return failure(
        "このプログラムは xlsx 形式 (Excel のブック) の出力に対応していません。"
        "出力形式に csv を指定してください。",
        FailureKind::RefusedArgument);
}

}  // namespace sorvek
