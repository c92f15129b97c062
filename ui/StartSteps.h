// The process-wide state and the steps of the start sequence that belong to
// the main window's other units (the preview, the banner, the folder tree).
#pragma once

#include <string>

extern std::string PreviewFolder;   // the previewed folder; "none" from start-up on
extern std::string PreviewName;     // the previewed picture; "none" from start-up on
extern std::string PreviewCaption;  // painted under the preview: at most 25 characters, UTF-8
extern int BannerIndex;             // which banner is shown

void SelectFolderInTree(const std::string& folder);
void LoadBanner(const char* resourceName);
