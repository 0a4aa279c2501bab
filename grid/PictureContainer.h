#pragma once
// Pictures that mini-HTML text shows: THTMLPicture keeps a picture file's
// bytes and decodes them by content (one frame of an animated GIF at a
// time); a picture container holds named pictures and a picture cache those
// named by a source text.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/ui/Component.h"

using TDownloadErrorEvent = std::function<void(TObject* Sender, const AnsiString& err)>;
using TDownloadCompleteEvent = std::function<void(TObject* Sender)>;
using TDownloadCancelEvent = std::function<void(TObject* Sender, bool& Cancel)>;
using TDownloadProgressEvent = std::function<void(TObject* Sender, Cardinal dwSize, Cardinal dwTotSize)>;

class THTMLPicture : public TGraphic, public TObject {
 public:
  THTMLPicture();
  ~THTMLPicture() override;

  // The source text the picture came from, and the address of one that
  // would be fetched (addresses are never fetched here).
  AnsiString ID;
  AnsiString URL;
  // Draw into the whole target rectangle instead of at natural size.
  bool Stretch = false;
  // A source that is an address is fetched in the background when set.
  bool Asynchronous = true;
  bool Downloading() const { return downloading_; }

  // Pixels at 96 dots per inch; 0 while nothing is decoded.
  int Width() const override;
  int Height() const override;
  bool Empty() const override { return empty_; }
  // The area an animation covers: the GIF's logical screen when it has one.
  int AnimationWidth() const;
  int AnimationHeight() const;
  // Where the shown frame lies on the logical screen.
  int FrameXPos() const { return frameX_; }
  int FrameYPos() const { return frameY_; }

  // 1-based frame of an animated GIF; setting it decodes that frame.
  int Frame() const { return frame_; }
  void SetFrame(int frame);
  // -1 for bytes that are not a GIF file, else the number of frames that
  // carry a graphic control block (0 for a plain GIF).
  int FrameCount();

  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Null empties the picture; another picture's bytes are copied.
  void Assign(const THTMLPicture* source);
  // The whole stream's bytes replace the picture's and are decoded; a failure raises
  // Exception with one of the decoder's messages, keeping the bytes.
  void LoadFromStream(TStream& stream) override;
  void LoadFromFile(const AnsiString& fileName);
  // Form streaming: the rest of the stream, without the change event.
  void ReadData(TStream& stream);
  void SaveToStream(TStream& stream) const override;
  void WriteData(TStream& stream) const { SaveToStream(stream); }
  // "RES://name" (the program's raw resources), "FILE://path", or an
  // address kept in URL. Upper-cased first.
  void LoadFromSource(const AnsiString& source);

  TNotifyEvent OnChange;
  TNotifyEvent OnFrameChange;
  TDownloadErrorEvent OnDownLoadError;
  TDownloadCompleteEvent OnDownLoadComplete;
  TDownloadCancelEvent OnDownLoadCancel;
  TDownloadProgressEvent OnDownLoadProgress;

 private:
  void SetBytes(std::string bytes);
  void Decode();
  void Changed();
  std::string bytes_;
  std::unique_ptr<TGraphic> decoded_;
  bool empty_ = true;
  bool downloading_ = false;
  int frame_ = 1;
  int frameCount_ = -1;
  int screenWidth_ = 0, screenHeight_ = 0;
  int frameX_ = 0, frameY_ = 0, frameWidth_ = 0, frameHeight_ = 0;
};

// The raw resources of the program ("RES://" sources): none are bundled;
// tests and embedders register bytes by name (upper case).
void RegisterRawResource(const AnsiString& name, std::string bytes);
const std::string* FindRawResource(const AnsiString& name);

// The background fetch of an address: it does no work.
class TDownLoadThread {
 public:
  explicit TDownLoadThread(THTMLPicture* picture) : picture_(picture) {}
  void Execute() {}
  THTMLPicture* Picture() const { return picture_; }

 private:
  THTMLPicture* picture_;
};

// Pictures named by their source text; owns them.
class THTMLPictureCache {
 public:
  THTMLPicture* NewPicture();
  // The first picture whose ID is exactly ID, or null.
  THTMLPicture* PictureByID(const AnsiString& ID) const;
  int Count() const { return static_cast<int>(items_.size()); }
  THTMLPicture* Items(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<THTMLPicture>> items_;
};

class TPictureItem {
 public:
  THTMLPicture* Picture() const { return picture_.get(); }
  void SetPicture(const THTMLPicture* picture) { picture_->Assign(picture); }
  AnsiString Name;
  int Tag = 0;
  void Assign(const TPictureItem& item);

 private:
  std::unique_ptr<THTMLPicture> picture_ = std::make_unique<THTMLPicture>();
};

class TPictureCollection {
 public:
  explicit TPictureCollection(TComponent* owner = nullptr) : owner_(owner) {}
  TPictureItem* Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TPictureItem* Items(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
  void Clear() { items_.clear(); }
  void Assign(const TPictureCollection& source);
  TComponent* Owner() const { return owner_; }

 private:
  TComponent* owner_;
  std::vector<std::unique_ptr<TPictureItem>> items_;
};

class TPictureContainer : public TComponent {
 public:
  explicit TPictureContainer(TComponent* AOwner);
  TPictureCollection& Items() { return items_; }
  void SetItems(const TPictureCollection& items) { items_.Assign(items); }
  // The picture of the first item whose name, upper-cased, is Name; null
  // when none (callers pass upper-case names).
  THTMLPicture* PictureByName(const AnsiString& Name) const;

 private:
  TPictureCollection items_{this};
};
