#pragma once
// The picture sources the mini-HTML fuzz targets hand the renderer: an
// image list of one 16 x 16 image and a container with one picture "P".

#include "grid/PictureContainer.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/ImgList.h"

inline TImageList* FuzzImageList() {
  static TImageList* images = [] {
    auto* list = new TImageList(nullptr);
    list->Add(TBitmap(16, 16));
    return list;
  }();
  return images;
}

inline TPictureContainer* FuzzPictureContainer() {
  static TPictureContainer* container = [] {
    auto* c = new TPictureContainer(nullptr);
    TPictureItem* item = c->Items().Add();
    item->Name = "P";
    TStringStream bmp{TBitmap(7, 5).SaveToBytes()};
    item->Picture()->LoadFromStream(bmp);
    return c;
  }();
  return container;
}
