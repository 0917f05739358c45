// The engine's own reads and writes of single images in the database files: the two texts of a
// chosen image, and its selection state rewritten in place while the list stays loaded.
#include <exception>

#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UImageStore.h"
#include "UTxLog.h"

bool LoadStringsFromFile(CImageFile& image, const TxString& stringFilePath)
{
    if (!TxFileExists(stringFilePath)) return false;
    try {
        // A read without the lock could hold the file open while a save of another program replaces it.
        const CDatabaseLock lock("CImageFile::LoadStringsFromFile");
        TxFile file(stringFilePath.GetText(), true, false);
        return image.ReadTextsFromStringFile(file);
    } catch (const ExNormal& e) {
        LogF("CImageFile::LoadStringsFromFile: Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!CImageFile::LoadStringsFromFile: %s", e.what());
    }
    return false;
}

StoredTexts LoadTextsOfStoredImage(CImageFile& image, const TxString& recordFilePath,
                                   const TxString& stringFilePath)
{
    try {
        // Under one hold of the lock the two files are one save's pair, once a save ended between
        // its two replacements is finished.
        const CDatabaseLock lock("LoadTextsOfStoredImage");
        if (!FinishInterruptedImageListSave(recordFilePath.GetText(), stringFilePath.GetText()))
            return StoredTexts::Unavailable;
        TxFile records(recordFilePath.GetText(), true, false);
        if (!image.IsOwnRecordIn(records)) {
            LogF("LoadTextsOfStoredImage: the record at %lu of %s has changed since it was loaded",
                 static_cast<unsigned long>(image.RecordPosition), recordFilePath.GetText());
            return StoredTexts::RecordChanged;
        }
        TxFile strings(stringFilePath.GetText(), true, false);
        return image.ReadTextsFromStringFile(strings) ? StoredTexts::Loaded : StoredTexts::Unavailable;
    } catch (const ExNormal& e) {
        LogF("LoadTextsOfStoredImage: Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!LoadTextsOfStoredImage: %s", e.what());
    }
    return StoredTexts::Unavailable;
}

StoredTexts LoadTextsOfStoredImages(const std::vector<CImageFile*>& images, const TxString& recordFilePath,
                                    const TxString& stringFilePath, std::vector<StoredTexts>& texts)
{
    texts.assign(images.size(), StoredTexts::Unavailable);
    try {
        const CDatabaseLock lock("LoadTextsOfStoredImages");
        if (!FinishInterruptedImageListSave(recordFilePath.GetText(), stringFilePath.GetText()))
            return StoredTexts::Unavailable;
        TxFile records(recordFilePath.GetText(), true, false);
        for (const CImageFile* image : images) {
            if (image->IsOwnRecordIn(records)) continue;
            LogF("LoadTextsOfStoredImages: the record at %lu of %s has changed since it was loaded",
                 static_cast<unsigned long>(image->RecordPosition), recordFilePath.GetText());
            return StoredTexts::RecordChanged;
        }
        TxFile strings(stringFilePath.GetText(), true, false);
        for (size_t i = 0; i < images.size(); ++i) {
            // One image's texts that cannot be read leave the others' to be read.
            try {
                if (images[i]->ReadTextsFromStringFile(strings)) texts[i] = StoredTexts::Loaded;
            } catch (const ExNormal& e) {
                LogF("LoadTextsOfStoredImages: Exception ExNormal: %s", e.Message());
            }
        }
        return StoredTexts::Loaded;
    } catch (const ExNormal& e) {
        LogF("LoadTextsOfStoredImages: Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!LoadTextsOfStoredImages: %s", e.what());
    }
    texts.assign(images.size(), StoredTexts::Unavailable);
    return StoredTexts::Unavailable;
}

bool StoreSelfToFile(const CImageFile& image, const TxString& recordFilePath)
{
    try {
        // Never written into a file that a save of another program is replacing, nor into one that
        // the rest of a save ended part way is about to replace. The lock is waited for as long as a
        // save waits for it.
        const CDatabaseLock lock("CImageFile::StoreSelfToFile");
        if (!lock.Held()) return false;
        if (!FinishInterruptedImageListSave(recordFilePath.GetText(), "")) return false;
        TxFile file(recordFilePath.GetText(), false, false);
        return image.UpdateRecordInPlace(file) != CImageFile::RecordUpdate::Refused;
    } catch (const ExNormal& e) {
        LogF("CImageFile::StoreSelfToFile: Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!CImageFile::StoreSelfToFile: %s", e.what());
    }
    return false;
}

int StoreEachToFile(const std::vector<const CImageFile*>& images, const TxString& recordFilePath)
{
    if (images.empty()) return 0;
    int refused = 0;
    try {
        const CDatabaseLock lock("StoreEachToFile");
        if (!lock.Held() || !FinishInterruptedImageListSave(recordFilePath.GetText(), ""))
            return static_cast<int>(images.size());
        TxFile file(recordFilePath.GetText(), false, false);
        for (const CImageFile* image : images)
            if (image->UpdateRecordInPlace(file) == CImageFile::RecordUpdate::Refused) ++refused;
        return refused;
    } catch (const ExNormal& e) {
        LogF("StoreEachToFile: Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!StoreEachToFile: %s", e.what());
    }
    return static_cast<int>(images.size());
}

int StoreImagesToFile(const std::vector<const CImageFile*>& images, const TxString& recordFilePath)
{
    if (images.empty()) return 0;
    try {
        // One open, one read and one write under one hold of the lock: a reset of every counter
        // must not cost file calls per image.
        const CDatabaseLock lock("StoreImagesToFile");
        if (!lock.Held() || !FinishInterruptedImageListSave(recordFilePath.GetText(), ""))
            return static_cast<int>(images.size());
        TxFile file(recordFilePath.GetText(), false, false);
        return UpdateRecordsInPlace(images, file);
    } catch (const ExNormal& e) {
        LogF("StoreImagesToFile: Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!StoreImagesToFile: %s", e.what());
    }
    return static_cast<int>(images.size());
}
