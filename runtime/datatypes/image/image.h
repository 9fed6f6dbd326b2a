// image!: the actions of its row and the run-time operations other code uses.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// The GUI's screenshot of a face (to image! of a face), handed over at start:
// the image, or none, into out.
using FaceCapture = void (*)(const Cell* face, Cell* out);
extern FaceCapture g_face_capture;

// Channel selectors of image_to_channels and image_from_channels.
enum ImageChannels : int { kChannelAlpha = 0, kChannelRgb = 1, kChannelArgb = 2 };

// A new binary! of the channel bytes of every pixel (from pixel 0).
void image_to_channels(const Cell* image, int selector, Cell* out);
// Sets the channel of the pixels from a binary!, a tuple! or an integer!;
// another value raises script invalid-arg with it.
void image_from_channels(Cell* image, const Cell* value, int selector);
// Sets the n loop words to the pixels from the head; true while a pixel was found.
bool image_foreach_set(Cell* words, Cell* series, uint32_t n);

// What copy gives (part may be null), into out.
void image_copy_into(const Cell* image, const Cell* part, Cell* out);

// Codec entry points.
bool image_known_format(const Cell* data);
// Pushes the image! a binary! decodes to, or none for an unknown signature;
// data that doesn't decode raises access no-codec.
Cell* image_load_binary(const Cell* data);
// The image! of a file! into slot; a file that doesn't load raises access
// cannot-open with it.
Cell* image_load_file(Cell* slot, const Cell* file);
// A binary! goes to image_load_binary, a file! or url! to image_load_file.
Cell* image_decode(const Cell* value);
// The image encoded in the container of the format number, as a binary! in
// slot (a new stack cell when slot holds none); an image with a zero side
// raises access no-codec; an unknown format number gives none.
Cell* image_encode(Cell* slot, const Cell* image, int format);

void image_register_routines();

// Actions (the row is image_row in rows.h).
Cell* image_make(Cell* proto, Cell* spec, int type);
Cell* image_to(Cell* proto, Cell* spec, int type);
int image_form(Cell* value, Cell* buffer, Cell* arg, int part);
int image_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
Cell* image_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
int image_compare(Cell* value1, Cell* value2, int op);
void image_at();
Cell* image_change(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* image_copy(Cell* value, Cell* part, bool deep, Cell* types);
int image_length_q(Cell* value);
void image_next();
Cell* image_pick(Cell* series, int index, Cell* boxed);
Cell* image_poke(Cell* series, int index, Cell* data, Cell* boxed);
void image_skip();
void image_tail();
void image_tail_q();

} // namespace xel
