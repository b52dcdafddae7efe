#include "PrefilledBitmap.h"

//********Icon for 'kAlpha'
uint8 kAlpha_MData[16] =
{
	0x00, 0x00, 0xFF, 0xFF, 0x77, 0x74, 0x77, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x77, 0x74, 0x77, 0x00
};
PrefilledBitmap *kAlpha_MICN;

//Put this after your BApplication object has been constructed:
	kAlpha_MICN = new PrefilledBitmap(BRect(0.0,0.0,1.0,1.0),B_RGB32,kAlpha_MData,false,false);
