// The engine's own reads and writes of single images in the database files: the texts of an image
// from a list loaded without texts, and its selection state rewritten in place while the list stays
// loaded.
#pragma once

#include <vector>

#include "UDatabase.h"

// Reads the image's FolderPath and FileName from the string file; false, texts unchanged, when the
// file is missing, unreadable or the stored texts do not hold.
bool LoadStringsFromFile(CImageFile& image, const TxString& stringFilePath);
// Rewrites the image's record in place (CImageFile::UpdateRecordInPlace) on the record file given by
// path; false, logged, when it cannot be opened or the record is no longer this image's.
bool StoreSelfToFile(const CImageFile& image, const TxString& recordFilePath);

// Rewrites the records of all `images` in place through one open record file, as
// StoreSelfToFile does for one; a record that is no longer its image's is left alone.
// Returns how many records were refused or could not be written (0 when all hold their values).
int StoreImagesToFile(const std::vector<const CImageFile*>& images, const TxString& recordFilePath);

// StoreSelfToFile for each of `images`, through one open record file under one hold of the lock:
// for a few images among many, where StoreImagesToFile would read the whole file and write all of
// it between the first and the last. Returns how many records were refused or not written.
int StoreEachToFile(const std::vector<const CImageFile*>& images, const TxString& recordFilePath);

// How the texts of an image from a list loaded without texts were fetched.
enum class StoredTexts {
    Loaded,         // FolderPath and FileName now hold the image's texts
    RecordChanged,  // the record file no longer holds the image's record: the list is stale
    Unavailable     // a file could not be read or the texts do not hold; texts unchanged
};
// Reads the image's texts from the string file under the CDatabaseLock, and only while the record
// file still holds the image's own record: after a save of another program the stored positions
// would hand it the texts of another image.
StoredTexts LoadTextsOfStoredImage(CImageFile& image, const TxString& recordFilePath,
                                   const TxString& stringFilePath);

// The texts of each of `images` as LoadTextsOfStoredImage fetches them, under one hold of the lock
// with each file opened once: RecordChanged when the record of any of them has changed since the
// list was loaded; Unavailable, every entry of `texts` too, when the files cannot be read; else
// Loaded, and `texts[i]` says how the texts of `images[i]` were fetched.
StoredTexts LoadTextsOfStoredImages(const std::vector<CImageFile*>& images, const TxString& recordFilePath,
                                    const TxString& stringFilePath, std::vector<StoredTexts>& texts);
