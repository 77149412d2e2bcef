// What the page's rooms use of the NATS client and the QR code library, bundled by esbuild into
// one script (build/web-gen/room-lib.js) that defines window.ShinkeiRoomLib.
export { wsconnect } from '@nats-io/nats-core';
export { jetstream, jetstreamManager } from '@nats-io/jetstream';
export { default as qrcode } from 'qrcode-generator';
