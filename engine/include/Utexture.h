// Background textures: a "texture???.bmp" from the "Textures" folder beside the program, tinted with
// the image's average colour and tiled over the whole canvas.
#pragma once

#include <windows.h>

class CPaintableDib;

// The tint strength of a texture mode (\Display "Textures"): 0 for none.
double TextureStrength(DWORD textureMode);

// The full path of a texture chosen at random from `folder`; false (and an empty text) when there
// is none or the path and its terminating zero do not fit `maxLength`.
bool GetRandomTextureFileName(const char* folder, char* out, int maxLength);
// The same in the texture folder of this process.
bool GetRandomTextureFileName(char* out, int maxLength);

// Tints a 24-bit DIB in place: its light and shade, stretched to the full range, around `color`.
void TintTexture(const BITMAPINFOHEADER& header, BYTE* pixels, double strength, COLORREF color);

// Covers the canvas with a random texture tinted with `color`. Any failure leaves the canvas as
// it was, so the flat background stays.
void PaintTexture(DWORD textureMode, CPaintableDib* canvas, COLORREF color);
