// The page side of the web host (web_host.cpp): the canvas, the keyboard and
// focus listeners with their queue, message boxes, and the waits that hand the
// browser its turn (Asyncify). The page gives the canvas as Module.canvas.
// VexarShared holds the numbers shared with the C++ (port/hosts/shared_numbers.h).
mergeInto(LibraryManager.library, {
  $VexarPage__deps: ['$VexarShared'],
  $VexarPage: {
    canvas: null,
    context: null,
    events: [],
    wake: null,        // ends the current wait for an event
    focused: true,
    shown: false,      // a frame has been presented since the window opened
    boxOpen: false,    // a message box has the keyboard
    frame: null,       // where the last frame presented is: {rgba, width, height}
    picture: null,     // an ImageData over the frame's bytes, while they stay where they are
    // Milliseconds the program ran between one vertical blank and the next:
    // what a frame costs, for the page to measure (Module.frameCosts).
    frameCosts: [],
    wokenAt: 0,
    listeners: [],
    // Keys whose browser action (scrolling, pressing a button) would get in the way.
    ownKeys: ['Space', 'Enter', 'NumpadEnter', 'ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown'],

    push: function(event) {
      VexarPage.events.push(event);
      if (VexarPage.wake) VexarPage.wake();
    },
    listen: function(target, type, handler) {
      target.addEventListener(type, handler);
      VexarPage.listeners.push([target, type, handler]);
    },
    onKey: function(e) {
      if (VexarPage.boxOpen || e.ctrlKey || e.metaKey) return;
      if (VexarPage.ownKeys.indexOf(e.code) >= 0) e.preventDefault();
      VexarPage.push({type: e.type === 'keydown' ? VexarShared.kPageKeyDown : VexarShared.kPageKeyUp,
                      code: e.code, alt: e.altKey, source: VexarShared.kKeyboardSource});
    },
    // A key pressed or let go by a source other than the keyboard, by its
    // KeyboardEvent code: Module.keyEvent(Module.keySources.touch, 'Space', true).
    keyEvent: function(source, code, down) {
      VexarPage.push({type: down ? VexarShared.kPageKeyDown : VexarShared.kPageKeyUp, code: code,
                      source: source});
    },
    setFocus: function(focused) {
      if (focused === VexarPage.focused) return;
      VexarPage.focused = focused;
      VexarPage.push({type: focused ? VexarShared.kPageFocusGained : VexarShared.kPageFocusLost});
    },
    // The last frame presented, or its part at x, y, w, h, onto the canvas.
    draw: function(x, y, w, h) {
      var f = VexarPage.frame;
      if (!f || !VexarPage.context) return;
      var picture = VexarPage.picture;
      // Made again when the memory grew (a new buffer) or the frame moved.
      if (!picture || picture.data.buffer !== HEAPU8.buffer || picture.data.byteOffset !== f.rgba ||
          picture.width !== f.width || picture.height !== f.height) {
        var bytes = new Uint8ClampedArray(HEAPU8.buffer, f.rgba, f.width * f.height * 4);
        picture = VexarPage.picture = new ImageData(bytes, f.width, f.height);
      }
      if (w === undefined) VexarPage.context.putImageData(picture, 0, 0);
      else VexarPage.context.putImageData(picture, 0, 0, x, y, w, h);
    },
    // Suspends the program until `start` calls its argument back.
    sleep: function(start) {
      return Asyncify.handleSleep(function(wakeUp) {
        var done = false;
        start(function() {
          if (done) return;
          done = true;
          wakeUp();
        });
      });
    },
  },

  vexar_web_open__deps: ['$VexarPage'],
  vexar_web_open: function(title) {
    var canvas = Module['canvas'];
    var context = canvas && canvas.getContext ? canvas.getContext('2d', {alpha: false}) : null;
    if (!context) return 0;
    VexarPage.canvas = canvas;
    VexarPage.context = context;
    Module['frameCosts'] = VexarPage.frameCosts;
    Module['keyEvent'] = VexarPage.keyEvent;
    // What can press a key; a key is down while any of them holds it (KeySources).
    Module['keySources'] = {keyboard: VexarShared.kKeyboardSource, touch: VexarShared.kTouchSource};
    document.title = UTF8ToString(title);
    VexarPage.listen(window, 'keydown', VexarPage.onKey);
    VexarPage.listen(window, 'keyup', VexarPage.onKey);
    // Only changes follow the first frame: a canvas that lost its pixels gets them all again.
    VexarPage.listen(canvas, 'contextrestored', function() { VexarPage.draw(); });
    VexarPage.listen(window, 'blur', function() { VexarPage.setFocus(false); });
    VexarPage.listen(window, 'focus', function() { VexarPage.setFocus(!document.hidden); });
    VexarPage.listen(document, 'visibilitychange', function() {
      VexarPage.setFocus(!document.hidden && document.hasFocus());
    });
    VexarPage.focused = true;
    VexarPage.shown = false;
    if (document.hidden || !document.hasFocus()) VexarPage.setFocus(false);
    return 1;
  },

  vexar_web_close__deps: ['$VexarPage'],
  vexar_web_close: function() {
    VexarPage.listeners.forEach(function(l) { l[0].removeEventListener(l[1], l[2]); });
    VexarPage.listeners = [];
    VexarPage.events = [];
    VexarPage.context = null;
    VexarPage.frame = null;
    VexarPage.picture = null;
  },

  // Puts the changed parts of the frame on the canvas: `count` x, y, w, h
  // quadruples at `parts`; `rgba` always holds the whole frame.
  vexar_web_present__deps: ['$VexarPage'],
  vexar_web_present: function(rgba, width, height, parts, count) {
    var canvas = VexarPage.canvas;
    if (!VexarPage.context) return;
    var whole = canvas.width !== width || canvas.height !== height;
    if (whole) {
      canvas.width = width;
      canvas.height = height;
      canvas.dispatchEvent(new Event('vexar-resize'));
    }
    VexarPage.frame = {rgba: rgba, width: width, height: height};
    if (whole) VexarPage.draw();
    for (var i = 0; !whole && i < count; ++i) {
      var q = (parts >> 2) + 4 * i;
      VexarPage.draw(HEAP32[q], HEAP32[q + 1], HEAP32[q + 2], HEAP32[q + 3]);
    }
    if (!VexarPage.shown) {
      VexarPage.shown = true;
      canvas.dispatchEvent(new Event('vexar-shown'));
    }
  },

  // The next queued event: its type (kPageNoEvent when none), its key code
  // into `code`, and in `flags` whether Alt was held and the key's source.
  vexar_web_next_event__deps: ['$VexarPage'],
  vexar_web_next_event: function(code, codeSize, flags) {
    var e = VexarPage.events.shift();
    if (!e) return VexarShared.kPageNoEvent;
    stringToUTF8(e.code || '', code, codeSize);
    HEAP32[flags >> 2] = (e.alt ? VexarShared.kPageAltFlag : 0) + (e.source || 0) * VexarShared.kPageSourceUnit;
    return e.type;
  },

  // Returns at the browser's next frame; hidden pages get none, so at most
  // a tenth of a second later. With `restMillis` above 0 it asks the browser
  // for no frame: it returns after that long, or as soon as an event is queued.
  vexar_web_wait_frame__deps: ['$VexarPage'],
  vexar_web_wait_frame: function(restMillis) {
    VexarPage.sleep(function(wakeUp) {
      // Here only when the wait begins, not again when the program resumes.
      var costs = VexarPage.frameCosts;
      if (VexarPage.wokenAt && costs.length < 100000) costs.push(performance.now() - VexarPage.wokenAt);
      var timer = setTimeout(woken, restMillis > 0 ? restMillis : 100);
      if (!(restMillis > 0)) requestAnimationFrame(woken);
      else if (VexarPage.events.length) woken();
      else VexarPage.wake = woken;
      function woken() {
        if (!timer) return;
        clearTimeout(timer);
        timer = null;
        VexarPage.wake = null;
        VexarPage.wokenAt = performance.now();
        wakeUp();
      }
    });
  },

  // Returns when an event is queued or `millis` have passed (never, below 0).
  vexar_web_wait_event__deps: ['$VexarPage'],
  vexar_web_wait_event: function(millis) {
    VexarPage.sleep(function(wakeUp) {
      if (VexarPage.events.length) return wakeUp();
      var timer = millis >= 0 ? setTimeout(done, millis) : null;
      function done() {
        VexarPage.wake = null;
        if (timer !== null) clearTimeout(timer);
        wakeUp();
      }
      VexarPage.wake = done;
    });
  },

  // A box over the page with the caption, the text and an OK button; returns
  // once it is dismissed.
  vexar_web_message_box__deps: ['$VexarPage'],
  vexar_web_message_box: function(text, caption) {
    var body = UTF8ToString(text), title = UTF8ToString(caption);
    VexarPage.sleep(function(wakeUp) {
      var box = document.createElement('div');
      box.className = 'vexar-box';
      box.setAttribute('role', 'alertdialog');
      var heading = document.createElement('h2');
      heading.textContent = title;
      var message = document.createElement('p');
      message.textContent = body;
      var ok = document.createElement('button');
      ok.textContent = 'OK';
      box.append(heading, message, ok);
      document.body.appendChild(box);
      VexarPage.boxOpen = true;
      ok.addEventListener('click', function() {
        box.remove();
        VexarPage.boxOpen = false;
        wakeUp();
      });
      ok.focus();
    });
  },

  // Returns after the page has had a turn: its queued events, a paint.
  vexar_web_yield__deps: ['$VexarPage'],
  vexar_web_yield: function() {
    VexarPage.sleep(function(wakeUp) {
      var channel = new MessageChannel();
      channel.port1.onmessage = function() {
        channel.port1.close();
        wakeUp();
      };
      channel.port2.postMessage(null);
    });
  },

  vexar_web_show_cursor__deps: ['$VexarPage'],
  vexar_web_show_cursor: function(visible) {
    var canvas = VexarPage.canvas || Module['canvas'];
    if (canvas) canvas.style.cursor = visible ? '' : 'none';
  },
});
