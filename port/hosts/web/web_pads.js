// The page's game controllers for web_pads.cpp: the Gamepad API, read when the
// program asks (once a frame). Pads in any layout but the standard one are
// left alone; a pad whose gamepaddisconnected came is gone, whatever
// getGamepads still says.
mergeInto(LibraryManager.library, {
  $VexarPads__deps: ['$VexarPage', '$VexarShared'],
  $VexarPads: {
    gone: {},        // pad indexes disconnected since they were last connected
    listening: false,

    listen: function() {
      if (VexarPads.listening) return;
      VexarPads.listening = true;
      window.addEventListener('gamepaddisconnected', function(e) {
        if (e.gamepad) VexarPads.gone[e.gamepad.index] = true;
      });
      window.addEventListener('gamepadconnected', function(e) {
        if (e.gamepad) delete VexarPads.gone[e.gamepad.index];
        if (VexarPage.wake) VexarPage.wake();  // a resting wait ends: the pad is read at once
      });
    },
    plays: function(pad) {
      return !!pad && pad.connected !== false && pad.mapping === 'standard' && !VexarPads.gone[pad.index];
    },
    // The standard layout's buttons that play, as PadButton bits.
    bits: function(pad) {
      var bits = 0, s = VexarShared;
      [s.kPadButtonSouth, s.kPadButtonEast, s.kPadButtonBack, s.kPadButtonStart, s.kPadButtonLeft,
       s.kPadButtonRight].forEach(function(b) {
        var button = pad.buttons && pad.buttons[b];
        if (button && button.pressed) bits |= 1 << b;
      });
      return bits;
    },
  },

  vexar_web_read_pads__deps: ['$VexarPads'],
  vexar_web_read_pads: function(pads, max) {
    VexarPads.listen();
    var all = [];
    try {
      all = navigator.getGamepads ? navigator.getGamepads() : [];
    } catch (e) {}  // not allowed in this page: no pads
    var count = 0, at = pads >> 3;
    for (var i = 0; all && i < all.length && count < max; ++i) {
      var pad = all[i];
      if (!VexarPads.plays(pad)) continue;
      var x = Number(pad.axes && pad.axes[0]);
      HEAPF64[at++] = pad.index;
      HEAPF64[at++] = VexarPads.bits(pad);
      HEAPF64[at++] = isFinite(x) ? x : 0;
      ++count;
    }
    return count;
  },
});
