// Stepping through the pictures of one folder for the preview, in the order
// the system lists them. Sub-folders are not entered. "none" stands for no
// picture. `rule`: which names count as pictures (option "allformats").
#pragma once

#include <string>

#include "engine/PictureFile.h"

// The first picture of `folder`, or "none" (also for a folder that cannot be
// listed).
std::string FirstPicture(const std::string& folder, PictureRule rule = PictureRule::Described);

// The first picture listed in `folder` after `current`; `current` itself when
// none follows or `current` is not listed. No wrap-around. A folder that cannot
// be entered raises the runtime's input/output error for a change of directory,
// but the current directory is never changed: the folder is listed by its path.
std::string NextPicture(const std::string& folder, const std::string& current,
                        PictureRule rule = PictureRule::Described);

// The same, giving the last picture listed before `current`, or `current`
// itself when none comes before it. When `current` is gone, the last picture
// of the folder.
std::string PreviousPicture(const std::string& folder, const std::string& current,
                            PictureRule rule = PictureRule::Described);
