// Radio group mapping of the Options dialog.
#include "app/OptionsRules.h"

namespace {
bool InGroup(const RadioGroup& group, int id) { return id >= group.firstId && id <= group.lastId; }
} // namespace

int ButtonForValue(const RadioGroup& group, int value) {
    int id = value + group.base;
    return InGroup(group, id) ? id : 0;
}

int ValueForButton(const RadioGroup& group, int checkedId, int fallback) {
    return InGroup(group, checkedId) ? checkedId - group.base : fallback;
}
