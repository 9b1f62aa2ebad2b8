// The animation window's output commands: printing the picture and saving
// it as a bitmap file.
#pragma once

class CVortanFrame;

namespace vortan::qt {

// Print command: status texts, print dialog, one inverted page.
void FilePrint(CVortanFrame& frame);
// Save Bitmap: the remembered file, or the dialog the first time.
void SaveBitmap(CVortanFrame& frame);
// Save Bitmap As: asks for the file, then saves.
void SaveBitmapAs(CVortanFrame& frame);

}  // namespace vortan::qt
