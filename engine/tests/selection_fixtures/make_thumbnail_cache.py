#!/usr/bin/env python3
"""Makes the image folder of the screen saver's test of a thumbnail cache (run by the build).

    make_thumbnail_cache.py <tiny jpeg> <photo> <photo> <folder> [thumbnail year]

<folder>\\thumbs holds 15,000 thumbnails in 75 subfolders (hard links to the tiny JPEG, all dated
2015-03-01, or 1 March of the year given), and <folder> itself the two photos, dated 2016-03-01 a
second apart, so the date order puts every thumbnail first (last with a later year). The build
makes it once; the tests only read it.
"""
import os
import shutil
import sys
import time

THUMBNAILS = 15000
PER_FOLDER = 200


def main():
    tiny, photo_a, photo_b, folder = sys.argv[1:5]
    year = int(sys.argv[5]) if len(sys.argv) > 5 else 2015
    stamp = os.path.join(folder, "complete.stamp")
    shutil.rmtree(folder, ignore_errors=True)
    cache = os.path.join(folder, "thumbs")
    os.makedirs(cache)
    master = os.path.join(folder, "thumbnail.bin")  # no image name: the scans pass it over
    shutil.copyfile(tiny, master)
    thumbnail_time = time.mktime((year, 3, 1, 12, 0, 0, 0, 0, -1))
    os.utime(master, (thumbnail_time, thumbnail_time))
    for i in range(THUMBNAILS):
        sub = os.path.join(cache, "%03d" % (i // PER_FOLDER))
        if i % PER_FOLDER == 0:
            os.mkdir(sub)
        target = os.path.join(sub, "t%05d.jpg" % i)
        try:
            os.link(master, target)
        except OSError:
            shutil.copy2(master, target)
    for n, photo in enumerate((photo_a, photo_b)):
        target = os.path.join(folder, os.path.basename(photo))
        shutil.copyfile(photo, target)
        photo_time = time.mktime((2016, 3, 1, 12, 0, n, 0, 0, -1))
        os.utime(target, (photo_time, photo_time))
    with open(stamp, "w") as out:
        out.write("%d thumbnails\n" % THUMBNAILS)
    return 0


if __name__ == "__main__":
    sys.exit(main())
