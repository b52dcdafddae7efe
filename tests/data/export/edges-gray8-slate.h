#include "PrefilledBitmap.h"

//********Icon for 'kEdges'
uint8 kEdges_MData[16] =
{
	0x04, 0x2A, 0x52, 0x6B, 0x7F, 0x00, 0x00, 0x00, 0x9C, 0x3A, 0x8D, 0x80, 0x3B, 0x00, 0x00, 0x00
};
PrefilledBitmap *kEdges_MICN;

//Put this after your BApplication object has been constructed:
	kEdges_MICN = new PrefilledBitmap(BRect(0.0,0.0,4.0,1.0),B_GRAY8,kEdges_MData,false,false);
