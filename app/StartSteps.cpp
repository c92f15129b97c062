#include "app/StartSteps.h"

std::string PreviewFolder;
std::string PreviewName;
int BannerIndex = 0;

void LoadCaptions() {}
void AssignCaptions() {}
void FillSettingsPanel() {}
void SetWallPaper2() {}
void SetSpinEditRange(int, int) {}
void SetWallpaperTimer() {}
void AddTrayIcon() {}
void RemoveTrayIcon() {}
void LoadBanner(const char*) {}
void LoadDefaultPreview(const char*) {}
void SetSwatchColor(uint32_t) {}
