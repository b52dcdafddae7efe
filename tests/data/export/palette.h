#include "PrefilledBitmap.h"

//********Icon for 'kPalette'
uint8 kPalette_MData[4] =
{
	0x00, 0x3F, 0x20, 0x2A
};
PrefilledBitmap *kPalette_MICN;

//Put this after your BApplication object has been constructed:
	kPalette_MICN = new PrefilledBitmap(BRect(0.0,0.0,3.0,0.0),B_CMAP8,kPalette_MData,false,false);
