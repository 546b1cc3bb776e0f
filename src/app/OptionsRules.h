// How the Options dialog's radio groups map to setting values, in both directions.
#pragma once

struct RadioGroup {
    int firstId;
    int lastId;
    int base;  // value = checked button id minus base
};

// The button that shows value; 0 when no button of the group stands for it (nothing is checked then).
int ButtonForValue(const RadioGroup& group, int value);
// The value the checked button stands for. checkedId 0 (no button checked, which only a hand-edited
// settings file can cause) gives fallback rather than minus the base id.
int ValueForButton(const RadioGroup& group, int checkedId, int fallback);
