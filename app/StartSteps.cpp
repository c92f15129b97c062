#include "app/StartSteps.h"

std::string PreviewFolder;
std::string PreviewName;

void AssignCaptions() {}
void FillSettingsPanel() {}
void SetSpinEditRange(int, int) {}
void LoadDefaultPreview(const char*) {}
void SetSwatchColor(uint32_t) {}
