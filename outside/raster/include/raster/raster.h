// Pictures: picture files placed on a page, and map rasters (a PNG or JPEG picture with a
// world file) placed in the model and drawn scaled into the view. PNG is read by Cairo,
// JPEG by libjpeg, BMP and GIF by gdk-pixbuf.
#pragma once
#include <string>

#include "device/canvas.h"
#include "interpret/interpret.h"
#include "pelvar/pelvar.h"

// The raster switch: whether desktops and default scripts draw map rasters. On at start.
extern bool UseRasters;

// Reads a PNG, JPEG, BMP or GIF file into the image (transparent parts over white).
// EFOpenError when the file is missing or holds no picture of those kinds.
void LoadPictureFile(const std::string& path, TRasterImage& image);

// A picture file placed on a page in its rectangle.
class TGraphicFileElement : public TRectEntity {
    ZARIX_CLASS(TGraphicFileElement, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    const std::string& GetFileName() const { return FFileName; }
    virtual void SetFileName(const std::string& name) { FFileName = name; }

protected:
    std::string FFileName;
};

// A bitmap file placed on a page.
class TBMPFileElement : public TGraphicFileElement {
    ZARIX_CLASS(TBMPFileElement, TGraphicFileElement)
};

// The placement of a picture read from its world file: the model point of the outer
// corner of the top left pixel and the model size of a pixel.
struct TWorldFile {
    double PixelWidth = 0;    // model units per pixel to the right
    double PixelHeight = 0;   // model units per pixel downwards (negative: y grows up)
    double Left = 0;          // model x of the top left pixel's outer corner
    double Top = 0;           // model y of the same corner
};

// Reads a world file: six numbers on their own lines (pixel width, two rotation terms,
// pixel height, then x and y of the top left pixel's centre). EConvertError when the text
// is no world file or the picture would be rotated, sheared or of no size.
TWorldFile ParseWorldFile(const std::string& text);
// The world file beside a picture: the extension's first and last letters + "w"
// (".pgw", ".jgw"), then the extension + "w", then ".wld"; "" when there is none.
std::string FindWorldFile(const std::string& picturePath);

// A map raster. Setting the file reads its world file and takes the model rectangle it
// gives (a file without a usable world file keeps the rectangle). The picture itself is
// read when it is first drawn and kept while the file stays the same.
class TRaster : public TGraphicFileElement {
    ZARIX_CLASS(TRaster, TGraphicFileElement)

public:
    void Destroy() override;
    void SetFileName(const std::string& name) override;
    // The picture, read on first use; nil when it cannot be read.
    const TRasterImage* GetPicture();

private:
    TRasterImage* FPicture = nullptr;
    bool FTried = false;
};

// Draws map rasters over the model region the device shows.
class TRasterInterpret : public TRectInterpret {
    ZARIX_CLASS(TRasterInterpret, TRectInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    // A raster overlapping the region is stretched over its rectangle; one that cannot be
    // read is skipped with a beep.
    void Process(TElement* element) override;
};

// Registers the picture and raster classes; after RegisterInterpretClasses.
void RegisterRasterClasses();
