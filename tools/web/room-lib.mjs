// What the page's rooms use of the NATS client and the QR code library, bundled by esbuild into
// one script (build/web-gen/room-lib.js) that defines window.ShinkeiRoomLib, and a room's
// stream as the page makes it, which the rooms' tests and benchmarks import from here.
export { wsconnect } from '@nats-io/nats-core';
export { jetstream, jetstreamManager } from '@nats-io/jetstream';
export { default as qrcode } from 'qrcode-generator';

// A room's stream: its log only, bounded every way (a game's log is a few kilobytes), kept a day;
// a message id repeated within two minutes is stored once, so a retried append never doubles.
export function roomStream(id, replicas = 1) {
    return {
        name: `ROOM_${id}`,
        subjects: [`room.${id}.log`],
        storage: 'file',
        max_bytes: 1_000_000,
        max_msgs: 20000,
        max_msg_size: 4096,
        max_age: 86400 * 1e9,
        discard: 'new',
        num_replicas: replicas,
        duplicate_window: 120 * 1e9,
    };
}
