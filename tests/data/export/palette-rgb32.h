#include "PrefilledBitmap.h"

//********Icon for 'kPalette'
uint8 kPalette_MData[16] =
{
	0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF
};
PrefilledBitmap *kPalette_MICN;

//Put this after your BApplication object has been constructed:
	kPalette_MICN = new PrefilledBitmap(BRect(0.0,0.0,3.0,0.0),B_RGB32,kPalette_MData,false,false);
