// The WebAudio side of the web backend's sound (sound.cpp): an audio context
// at the song's rate whose processor node asks the program for each piece
// (tevWebSoundFill), and notes when the first piece of a song plays.
mergeInto(LibraryManager.library, {
  // 1 when the context exists; 0 when it cannot, with the browser's reason
  // on the console.
  webSoundOpen: function(rate, frames) {
    try {
      if (!Module.tevSound) {
        const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
        if (!Context) throw new Error('this browser has no WebAudio');
        const context = new Context({ sampleRate: rate });
        const node = context.createScriptProcessor(frames, 0, 2);
        const sound = { context, node, first: null, scratch: 0 };
        node.onaudioprocess = function(event) {
          const left = event.outputBuffer.getChannelData(0);
          const right = event.outputBuffer.getChannelData(1);
          const count = left.length;
          if (!sound.scratch) sound.scratch = _malloc(count * 4);
          const got = _tevWebSoundFill(sound.scratch, count);
          const samples = HEAP16.subarray(sound.scratch >> 1, (sound.scratch >> 1) + count * 2);
          for (let i = 0; i < count; ++i) {
            left[i] = i < got ? samples[2 * i] / 32768 : 0;
            right[i] = i < got ? samples[2 * i + 1] / 32768 : 0;
          }
          if (got > 0 && sound.first === null) sound.first = event.playbackTime;
        };
        node.connect(context.destination);
        Module.tevSound = sound;
      }
      // Started from the page's click, when the browser allows sound; a
      // refused start leaves the context suspended and the show silent.
      Module.tevSound.context.resume().catch(function(error) {
        console.warn('tev: the browser did not start the sound: ' + error.message);
      });
      return 1;
    } catch (error) {
      console.warn('tev: no sound: ' + error.message);
      return 0;
    }
  },

  webSoundRestart: function() {
    if (!Module.tevSound) return;
    Module.tevSound.first = null;
    Module.tevSound.askedAt = performance.now();
    Module.tevSound.refused = false;
  },

  // 1 once the context has not run for a few seconds since a song was
  // started: the browser holds the sound back (no click on the page yet, or
  // a policy that allows none) or has no output to give. Said once on the
  // console; the show then goes on silent.
  webSoundRefused: function(boundMs) {
    const sound = Module.tevSound;
    if (!sound || !sound.askedAt) return 0;
    if (sound.refused) return 1;
    if (sound.context.state === 'running' || performance.now() - sound.askedAt < boundMs) return 0;
    sound.refused = true;
    console.warn('tev: the browser did not start the sound within ' + boundMs / 1000 +
                 ' s (browsers start sound only after a click on the page): going on silent');
    return 1;
  },

  // Seconds from now until the song's first piece is heard, negative once
  // heard; the output's own latency while no piece has been taken. The
  // output's timestamp says which moment of the context's clock is heard at
  // which moment of the page's (currentTime runs ahead of what is heard by
  // the output's latency, and moves in steps of a rendered block).
  webSoundHeardIn: function() {
    const sound = Module.tevSound;
    if (!sound) return 0;
    const context = sound.context;
    const latency = context.outputLatency || context.baseLatency || 0;
    if (sound.first === null) return latency + sound.node.bufferSize / context.sampleRate;
    const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
    if (stamp && stamp.performanceTime > 0) {
      const heardNow = stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
      return sound.first - heardNow;
    }
    return sound.first + latency - context.currentTime;
  },

  webSoundLatency: function() {
    const sound = Module.tevSound;
    if (!sound) return 0;
    return (sound.context.baseLatency || 0) + sound.node.bufferSize / sound.context.sampleRate;
  },

  webSoundClose: function() {
    const sound = Module.tevSound;
    if (!sound) return;
    sound.node.onaudioprocess = null;
    sound.node.disconnect();
    sound.context.close().catch(function() {});
    if (sound.scratch) _free(sound.scratch);
    Module.tevSound = null;
  },
});
