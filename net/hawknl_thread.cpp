// The network-library layer: threads and mutexes over pthreads.
#include "net/hawknl_state.h"

#include <cerrno>

NLboolean htThreadCreate(HThreadFunc func, void* data, NLboolean joinable, HThreadID* id)
{
    if (!func) {
        nlimpl::SetError(NL_NULL_POINTER);
        return NL_FALSE;
    }
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, joinable ? PTHREAD_CREATE_JOINABLE : PTHREAD_CREATE_DETACHED);
    HThreadID t;
    int r = pthread_create(&t, &attr, func, data);
    pthread_attr_destroy(&attr);
    if (r != 0) {
        nlimpl::SetError(r == EAGAIN ? NL_OUT_OF_MEMORY : NL_SYSTEM_ERROR);
        return NL_FALSE;
    }
    if (id)
        *id = t;
    return NL_TRUE;
}

NLboolean htThreadJoin(HThreadID id, void** status)
{
    return pthread_join(id, status) == 0 ? NL_TRUE : NL_FALSE;
}

NLboolean htMutexInit(HTmutex* mutex)
{
    return mutex && pthread_mutex_init(mutex, nullptr) == 0 ? NL_TRUE : NL_FALSE;
}

NLboolean htMutexLock(HTmutex* mutex)
{
    return mutex && pthread_mutex_lock(mutex) == 0 ? NL_TRUE : NL_FALSE;
}

NLboolean htMutexUnlock(HTmutex* mutex)
{
    return mutex && pthread_mutex_unlock(mutex) == 0 ? NL_TRUE : NL_FALSE;
}

NLboolean htMutexDestroy(HTmutex* mutex)
{
    return mutex && pthread_mutex_destroy(mutex) == 0 ? NL_TRUE : NL_FALSE;
}
