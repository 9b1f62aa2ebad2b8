// The animation window's output commands: printing the picture and saving
// it as a bitmap file.
#pragma once

namespace vortan::qt {

class IOutputWindow;

// Print command: status texts, print dialog, one inverted page.
void FilePrint(IOutputWindow& window);
// Save Bitmap: the remembered file, or the dialog the first time.
void SaveBitmap(IOutputWindow& window);
// Save Bitmap As: asks for the file, then saves; the file is remembered only
// once it was written.
void SaveBitmapAs(IOutputWindow& window);

}  // namespace vortan::qt
