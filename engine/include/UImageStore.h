// Writing the selection state of many images back into the record file at once.
#pragma once

#include <vector>

#include "UDatabase.h"

// Rewrites the records of all `images` in place through one open record file, as
// CImageFile::StoreSelfToFile does for one; a record that is no longer its image's is left alone.
// Returns how many records were refused or could not be written (0 when all hold their values).
int StoreImagesToFile(const std::vector<const CImageFile*>& images, const TxString& recordFilePath);
