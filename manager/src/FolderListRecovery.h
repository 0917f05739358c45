// A folder list that could not be read whole, made to match the image list that was: the folders
// the file lost are taken back from the images, and every count is the number of images listed.
#pragma once

#include "UDatabase.h"

namespace manager {

// Adds a folder (without subfolders, checked for changes, its use taken from its first image) for
// each directory of `images` that no folder of `folders` holds, then sets each folder's ImageCount
// to the images it holds: an image counts for the first folder in list order that holds it, as a
// scan would have added it there. Returns the number of folders added.
int RecoverFoldersFromImages(CFolderCollection& folders, const CFileCollection& images);

}  // namespace manager
