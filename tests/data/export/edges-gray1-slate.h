#include "PrefilledBitmap.h"

//********Icon for 'kEdges'
uint8 kEdges_MData[8] =
{
	0xF8, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00, 0x00
};
PrefilledBitmap *kEdges_MICN;

//Put this after your BApplication object has been constructed:
	kEdges_MICN = new PrefilledBitmap(BRect(0.0,0.0,4.0,1.0),B_GRAY1,kEdges_MData,false,false);
