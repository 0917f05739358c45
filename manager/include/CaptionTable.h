// Which Manager text goes on which control of which form, by the names of the forms' components.
#pragma once

#include "Umanaglang.h"

namespace manager {

// Which text goes on which control of which form. `component` is empty for the form's own caption;
// `column` (from 1) names a list view's column, 0 the component itself.
struct CaptionEntry {
    const char* form;
    const char* component;
    int column;
    ManagerTextKey key;
};
extern const CaptionEntry kCaptionTable[];
extern const int kCaptionTableCount;
// The key of a control's caption; false when the table has none for it.
bool FindCaption(const char* form, const char* component, int column, ManagerTextKey& key);

}  // namespace manager
