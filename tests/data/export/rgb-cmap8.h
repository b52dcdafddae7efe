#include "PrefilledBitmap.h"

//********Icon for 'kRgb'
uint8 kRgb_MData[8] =
{
	0x2A, 0x34, 0x20, 0x00, 0x3F, 0x00, 0x02, 0x00
};
PrefilledBitmap *kRgb_MICN;

//Put this after your BApplication object has been constructed:
	kRgb_MICN = new PrefilledBitmap(BRect(0.0,0.0,2.0,1.0),B_CMAP8,kRgb_MData,false,false);
