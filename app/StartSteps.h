// Steps of the start sequence and of shutdown whose parts of the program are
// built later. Each is a named call at its place in FormCreate or FormClose and
// does nothing yet; the unit that builds the part takes over its definition.
#pragma once

#include <cstdint>
#include <string>

extern std::string PreviewFolder;  // the previewed folder; "none" from start-up on
extern std::string PreviewName;    // the previewed picture; "none" from start-up on
extern int BannerIndex;            // which banner is shown

void AssignCaptions();
void SelectFolderInTree(const std::string& folder);
void FillSettingsPanel();
void SetSpinEditRange(int minimum, int maximum);
void LoadBanner(const char* resourceName);
void LoadDefaultPreview(const char* resourceName);
void SetSwatchColor(uint32_t color);
