// Replacing a text of the table; only the language loader does it.
#pragma once

#include "ManagerTexts.h"

namespace manager {

void SetManagerText(ManagerTextKey key, const TxString& text);

}  // namespace manager
