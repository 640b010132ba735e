// Runs in the page before it loads: navigator.getGamepads() returns the pads
// the test plugs in with window.fakePads, as a browser's Gamepad API would.
(() => {
  const slots = [];
  const fire = (type, pad) => window.dispatchEvent(Object.assign(new Event(type), { gamepad: pad }));
  navigator.getGamepads = () => slots.slice();
  window.fakePads = {
    connect(index, mapping) {
      const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
      slots[index] = { index, id: `fake pad ${index}`, mapping, connected: true, buttons,
        axes: [0, 0, 0, 0], timestamp: performance.now() };
      fire("gamepadconnected", slots[index]);
    },
    // Holds exactly these buttons, with the left stick at `x`.
    set(index, held, x = 0) {
      const pad = slots[index];
      pad.buttons.forEach((b, i) => { b.pressed = b.touched = held.includes(i); b.value = b.pressed ? 1 : 0; });
      pad.axes[0] = x;
      pad.timestamp = performance.now();
    },
    disconnect(index) {
      const pad = slots[index];
      pad.connected = false;
      slots[index] = null;
      fire("gamepaddisconnected", pad);
    },
  };
})();
