// Starting the program once its module and the fonts are ready, its end, and offline play.
'use strict';

(function (page) {
    const { $ } = page;

    // The program has quit: its windows go with it, and the page offers to play again.
    page.end = function () {
        window.shinkei.ended = true;
        page.audio.stop();
        page.screen.hide();
        page.modals.closeAll();
        $('#ended').hidden = false;
        page.releaseIdle();
    };
    // After a room's game, playing again is playing alone.
    $('#restart').addEventListener('click', () =>
        page.room ? page.room.leave() : location.reload(),
    );

    // The program's module began compiling before the assets were read; it starts once both it
    // and the fonts are ready, whichever comes last.
    function start() {
        // In a room, the program starts from the room's seed, once the room's log has said it.
        Promise.all([...page.fonts, page.room?.started]).then(
            () => {
                if (page.failed) return;
                const args = page.language === 'en' ? ['/lang:en'] : [];
                const generation = page.params.get('handle-generation');
                if (generation !== null && /^\d+$/.test(generation))
                    args.push('--handle-generation', generation);
                Module.callMain(args);
            },
            () => page.damaged('font'),
        );
    }
    Object.assign(window.Module, {
        host: page.host,
        onRuntimeInitialized: start,
        onAbort(what) {
            page.fail(
                'ゲームが止まりました。ページを読み込み直してください。',
                `The game stopped (${what}). Please reload the page.`,
            );
        },
    });
    if (Module.calledRun) start();

    if (/^https?:$/.test(location.protocol) && 'serviceWorker' in navigator) {
        navigator.serviceWorker.register('sw.js').catch(() => {
            // plays without offline support
        });
    }
})(window.ShinkeiPage);
