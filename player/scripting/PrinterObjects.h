#pragma once
// The printer objects of scripts: "PrinterObject", the default printer (Basic's Printer: text,
// pictures, pages and documents, measured in twips), and "PrintersCollection", the desktop's
// printers (Count, Item(i) from 0, For Each).
//
// The printer object draws each page into an image and hands finished pages to a print job of
// the Printing service; the first drawing starts the document, EndDoc sends it and KillDoc
// drops it. A document still open when the object goes away is sent.
//
// Errors scripts see: 484 "Printer driver unavailable" on any use of the printer object when
// the desktop has no printer at all (what a game got on a machine without one), 482 "Printer
// error" when the printer refuses a document or a page, 380 for bad property values, 481 for
// a picture that is not one, 9 for a printer index outside the collection.
//
// The Printing service (and the picture registry) must outlive the objects.
#include "platform/printing/Printing.h"
#include "scripting/ScriptValues.h"

namespace storyloom {

vbs::Ref<vbs::Dispatch> MakePrinterObject(Printing& printing, PictureRegistry* pictures);
vbs::Ref<vbs::Dispatch> MakePrintersCollection(Printing& printing);

}  // namespace storyloom
