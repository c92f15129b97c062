#include "app/StartSteps.h"

std::string PreviewFolder;
std::string PreviewName;

void LoadCaptions() {}
void AssignCaptions() {}
void SelectFolderInTree(const std::string&) {}
void FillSettingsPanel() {}
void SetWallPaper2() {}
void SetSpinEditRange(int, int) {}
void SetWallpaperTimer() {}
void AddTrayIcon() {}
void RemoveTrayIcon() {}
void LoadDefaultPreview(const char*) {}
void SetSwatchColor(uint32_t) {}
