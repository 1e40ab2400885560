#include "ui/program/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function of the global namespace.
static void initSorvekResources() {
    Q_INIT_RESOURCE(sorvek);
}

namespace sorvek {

void ensureResources() {
    static const bool done = [] {
        initSorvekResources();
        return true;
    }();
    (void)done;
}

}  // namespace sorvek
