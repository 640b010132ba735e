// Fingers on the page's touch screen, through the DevTools protocol's touch
// events: each finger is a touch point of its own, so several can be down at
// once; Chromium sends the page one touch event for each point that changed.
"use strict";

class Fingers {
  constructor(cdp) {
    this.cdp = cdp;
    this.points = new Map();  // finger -> {x, y, id}
  }

  static async on(page) {
    return new Fingers(await page.context().newCDPSession(page));
  }

  send(type) {
    return this.cdp.send("Input.dispatchTouchEvent", { type, touchPoints: [...this.points.values()] });
  }

  async down(finger, [x, y]) {
    this.points.set(finger, { x, y, id: finger });
    await this.send("touchStart");
  }

  // Slides the finger to (x, y) in `steps` moves.
  async move(finger, [x, y], steps = 10) {
    const point = this.points.get(finger);
    const from = { x: point.x, y: point.y };
    for (let i = 1; i <= steps; ++i) {
      point.x = from.x + ((x - from.x) * i) / steps;
      point.y = from.y + ((y - from.y) * i) / steps;
      await this.send("touchMove");
    }
  }

  // The other fingers stay down: Chromium lifts the points a move leaves out.
  async up(finger) {
    this.points.delete(finger);
    await this.send(this.points.size ? "touchMove" : "touchEnd");
  }

  async lift() {
    if (!this.points.size) return;
    this.points.clear();
    await this.send("touchEnd");
  }

  async tap(at) {
    await this.down(0, at);
    await this.up(0);
  }

  async swipe(from, to) {
    await this.down(0, from);
    await this.move(0, to, 15);
    await this.up(0);
  }
}

// The centre of the element the selector names, in CSS pixels.
async function centre(page, selector) {
  const r = await page.locator(selector).boundingBox();
  return [r.x + r.width / 2, r.y + r.height / 2];
}

module.exports = { Fingers, centre };
