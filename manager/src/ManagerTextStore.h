// Replacing a text of the table; only the language loader does it.
#pragma once

#include "Umanaglang.h"

namespace manager {

void SetManagerText(ManagerTextKey key, const TxString& text);

}  // namespace manager
