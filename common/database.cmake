# The image database: folders, images, scans, change detection and the three database files.
list(APPEND COMMON_SOURCES
  src/Ucrc.cpp
  src/DbBytes.cpp
  src/DbText.cpp
  src/DbReplace.cpp
  src/DbFolderWalk.cpp
  src/UImageFolder.cpp
  src/UImageFile.cpp
  src/UFileCollection.cpp
  src/UFileCollectionFiles.cpp
  src/UFolderCollection.cpp
  src/UFolderCollectionFiles.cpp
)
