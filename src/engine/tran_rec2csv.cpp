#include "engine/tran_rec2csv.h"

namespace sorvek {

bool tranRec2Csv(const std::string& inputPath, const std::string& outputPath,
                 RecordDefTable& table, EngineContext& context) {
    (void)inputPath;
    (void)outputPath;
    (void)table;
    context.messages.show("REC→CSV変換はこの版ではまだ使用できません。", kAppTitle,
                          MessageIcon::Exclamation);
    return false;
}

}  // namespace sorvek
