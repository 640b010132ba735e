// Runs in the page: checks on the game canvas's pixels, in the words of the
// X end-to-end tests (tests/e2e/xprobe): "px:X,Y=RRGGBB", "has:X,Y,W,H=RRGGBB",
// "black:X,Y,W,H", "notblack:X,Y,W,H", "bmp:NAME" (the whole frame equals a
// picture given with vexarProbe.setPicture) and "sprite:NAME" (somewhere in
// the frame are the picture's pixels but its magenta colour key, exactly),
// "cannon:X" (the cannon's left edge is at X; "cannon:*", anywhere) and "shot:X,Y,W,H" (a pixel
// neither black nor one of cd.bmp's colours: a shot, discs being only those).
window.vexarProbe = {
  pictures: {},

  setPicture(name, width, height, base64) {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    this.pictures[name] = { width, height, rgb: bytes };
  },

  frame() {
    const canvas = document.getElementById("game");
    const context = canvas.getContext("2d", { willReadFrequently: true });
    return { width: canvas.width, height: canvas.height,
             data: context.getImageData(0, 0, canvas.width, canvas.height).data };
  },

  // Each pixel of the rectangle, clipped to the frame, as 0xRRGGBB.
  region(frame, x, y, w, h, visit) {
    for (let row = Math.max(y, 0); row < Math.min(y + h, frame.height); ++row)
      for (let col = Math.max(x, 0); col < Math.min(x + w, frame.width); ++col) {
        const at = (row * frame.width + col) * 4;
        const d = frame.data;
        if (visit((d[at] << 16) | (d[at + 1] << 8) | d[at + 2])) return true;
      }
    return false;
  },

  // Whether one condition holds on the frame.
  holds(frame, condition) {
    const [kind, rest] = condition.split(/:(.*)/s);
    const [place, colour] = rest.split("=");
    const n = place.split(",").map(Number);
    const want = colour === undefined ? 0 : parseInt(colour, 16);
    switch (kind) {
      case "px": return this.region(frame, n[0], n[1], 1, 1, (c) => c === want);
      case "has": return this.region(frame, n[0], n[1], n[2], n[3], (c) => c === want);
      case "black": return !this.region(frame, n[0], n[1], n[2], n[3], (c) => c !== 0);
      case "notblack": return this.region(frame, n[0], n[1], n[2], n[3], (c) => c !== 0);
      case "bmp": return this.differences(frame, rest) === 0;
      case "sprite": return this.findSprite(frame, rest) !== null;
      case "cannon": return place === "*" ? this.cannon(frame) !== null : this.cannon(frame) === n[0];
      case "shot": return this.region(frame, n[0], n[1], n[2], n[3], (c) => c !== 0 && !this.discColours().has(c));
      default: throw new Error("unknown condition " + condition);
    }
  },

  // How many pixels of the frame differ from the picture (all, when the sizes do).
  differences(frame, name) {
    const picture = this.pictures[name];
    if (!picture) throw new Error("no picture " + name);
    if (picture.width !== frame.width || picture.height !== frame.height) return frame.width * frame.height;
    let count = 0;
    for (let i = 0, j = 0; i < picture.rgb.length; i += 3, j += 4)
      if (frame.data[j] !== picture.rgb[i] || frame.data[j + 1] !== picture.rgb[i + 1] ||
          frame.data[j + 2] !== picture.rgb[i + 2]) ++count;
    return count;
  },

  // The top-left corner of a place where the picture is drawn, or null.
  findSprite(frame, name) {
    const picture = this.pictures[name];
    if (!picture) throw new Error("no picture " + name);
    const opaque = [];  // [offset in the frame from the corner, r, g, b]
    for (let y = 0, i = 0; y < picture.height; ++y)
      for (let x = 0; x < picture.width; ++x, i += 3) {
        const [r, g, b] = picture.rgb.subarray(i, i + 3);
        if (r !== 255 || g !== 0 || b !== 255) opaque.push([(y * frame.width + x) * 4, r, g, b]);
      }
    const d = frame.data;
    const matches = (corner) => opaque.every(([at, r, g, b]) =>
      d[corner + at] === r && d[corner + at + 1] === g && d[corner + at + 2] === b);
    for (let y = 0; y + picture.height <= frame.height; ++y)
      for (let x = 0; x + picture.width <= frame.width; ++x)
        if (matches((y * frame.width + x) * 4)) return [x, y];
    return null;
  },

  // The cannon's left edge: 34 pixels left of where its barrel, 30 pixels of
  // pure blue at row 430, begins; null when there is no cannon.
  cannon(frame = this.frame()) {
    let run = 0;
    for (let x = 0; x < frame.width; ++x) {
      this.region(frame, x, 430, 1, 1, (c) => { run = c === 0x0000ff ? run + 1 : 0; });
      if (run === 30) return x - 29 - 34;
    }
    return null;
  },

  discColours() {
    if (!this.colours) {
      const rgb = this.pictures.cd.rgb;
      this.colours = new Set();
      for (let i = 0; i < rgb.length; i += 3) this.colours.add((rgb[i] << 16) | (rgb[i + 1] << 8) | rgb[i + 2]);
    }
    return this.colours;
  },

  // The conditions that do not hold now.
  unmet(conditions) {
    const frame = this.frame();
    return conditions.filter((c) => !this.holds(frame, c));
  },

  // How many frames the game has presented (its costs are recorded per frame).
  frames() {
    return window.vexar && window.vexar.frameCosts ? window.vexar.frameCosts.length : 0;
  },

  animationFramesAsked: 0,  // of the browser, by the page
};

(() => {
  const ask = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => {
    ++window.vexarProbe.animationFramesAsked;
    return ask(callback);
  };
})();
